#pragma once

#include "core/window_model.h"

#include <string>

namespace twinsift {

class UserInterface;

// A scan accepts this many files without warning the user first.
inline constexpr long kTooManyFiles = 100000;

struct ScanSettings {
    // Where the Scan command first writes the default parameters (through the
    // model's SaveSearchParameters hook); empty writes nothing, as the
    // terminal front end wants.
    std::string defaultParametersPath;
};

// The Scan command: walks every search path of `model.SearchList` that is
// not marked Exclude, with the row's filters, the model's switches and the
// checked entries of its exclusion list; keeps each file once (same device
// and inode) in `model.Candidates`, sorted for the chosen engine; runs the
// engine and lists what it found (the zero-size engine: every empty file) in
// `model.rows`.
// Leaves the outcome in the status panels and the window idle again, also
// after a cancel or an abandoned error report (procedure "Scanning").
//
// A front end plugs in through the model's hooks: `yield` runs for every
// accepted file and every 10 directory entries (the desktop processes
// events there, the terminal checks for Ctrl-C and calls stopScan);
// `changed` runs when the progress text in panel 1 or the caption changes
// and once at the end. Questions reach `ui`: the "no search path" message,
// the error report and tooManyFilesWarning. Afterwards `model.rows` holds the
// result rows, `statusPanels` the final texts and `clock` the elapsed time.
void Scan(WindowModel& model, UserInterface& ui, const ScanSettings& settings);

// The Cancel command: asks "Are you sure to cancel searching?"; on Yes stops
// the scan.
void CancelScan(WindowModel& model, UserInterface& ui);

// Stops a running scan without asking: the walk ends within 10 entries and
// no further search path is walked. Safe to call from inside any yield.
void stopScan(WindowModel& model);

// Puts the window into the scanning state (every command but Cancel
// disabled, panels 2 to 4 hidden) or back into the idle state.
void SetScanning(WindowModel& model, bool running);
void EnableMenus(WindowModel& model, bool enabled);

// Timer1's tick: the elapsed time of the running scan into panel 5.
void showElapsedTime(WindowModel& model);

// The switches' click handlers. The fuzzy note is wanted when "Use Fuzzy
// Logic" has just been checked by the user; unchecking "Protect Windows
// Folders" by the user asks first, and Yes checks it again. Programmatic
// changes (tag other than "Direct") stay silent.
bool fuzzyNoteWanted(const WindowModel& model);
void protectionUnchecked(WindowModel& model, UserInterface& ui);

} // namespace twinsift
