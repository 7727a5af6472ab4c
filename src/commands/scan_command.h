#pragma once

#include "core/window_model.h"

#include <string>

namespace twinsift {

class ExclusionList;
class UserInterface;

// A scan accepts this many files without warning the user first.
inline constexpr std::int64_t kTooManyFiles = 100000;

struct ScanSettings {
    // Where the Scan command first writes the default parameters; empty
    // writes nothing, as the terminal front end wants.
    std::string defaultParametersPath;
    // The exclusion list whose checked entries every search path leaves
    // out; none when absent.
    const ExclusionList* exclusions = nullptr;
    // More files than this ask the user before the comparison starts.
    std::int64_t tooManyFiles = kTooManyFiles;
};

// The Scan command: walks every search path of `model.SearchList` that is
// not marked Exclude, with the row's filters, the model's switches and the
// checked entries of the settings' exclusion list; keeps each file once (same device
// and inode) in `model.Candidates`, sorted for the chosen engine; runs the
// engine and lists what it found (the zero-size engine: every empty file) in
// `model.rows`.
// Leaves the outcome in the status panels and the window idle again, also
// after a cancel or an abandoned error report (procedure "Scanning"), and
// returns how it ended. Without a search path it tells the user so and
// returns NoSearchPath, for the front end to offer its folder dialog.
//
// A front end plugs in through the model: `yield` runs for every accepted
// file and every 10 directory entries (the desktop processes events there,
// the terminal checks for Ctrl-C and calls stopScan); its listener hears of
// every new progress text in panel 1 or the caption, and at the end that
// the list was replaced. Questions reach `ui`: the "no search path" message,
// the error report and tooManyFilesWarning. Afterwards `model.rows` holds the
// result rows, `statusPanels` the final texts and `clock` the elapsed time.
ScanOutcome Scan(WindowModel& model, UserInterface& ui, const ScanSettings& settings);

} // namespace twinsift
