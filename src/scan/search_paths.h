#pragma once

#include "core/window_model.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace twinsift {

class SettingsStore;

inline constexpr const char* kAllFilesMask = "All files(*.*)";
inline constexpr const char* kDefaultMinimumKB = "10";

// The file masks offered on first use, in list order.
inline constexpr std::array<const char*, 10> kFileMaskPresets = {
    "All files(*.*)",
    "Documents(*.doc *.pdf *.rtf *.xls *.ppt)",
    "File archive (*.zip *.cab *.arc *.arj *.rar *.jar)",
    "Images  (*.bmp *.gif *.jpg *.jpeg *.pcx *.png *.psd *.tif *.wmf)",
    "Music files (*.mpa *.mp2 *.mp3 *.wma *.rm *.wav *.mid *.midi *.aif *.aiff *.au *.rmi *.snd "
    "*.ogg)",
    "Program files (*.exe *.dll *.com *.sys *.ocx *.vbx *.bat *.msi)",
    "Program source (*.asm *.c *.cpp *.css *.h *.bas *.vba *.dpr *.dfm *.inc *.pas *.js *.java)",
    "Text files  (*.txt *.bak)",
    "Video clips (*.avi *.mov *.mpg *.m1v *.mpeg *.mp4 *.divx *.qt *.wm *.wmv)",
    "Web pages  (*.htm *.html *.php *.asp *.xml)",
};

// The texts of the "Add/Exclude Folders" dialog, as its controls hold them.
struct FolderForm {
    std::string folder;      // Text1
    bool subFolders = true;  // Check1
    bool exclude = false;    // Check2
    std::string mask;        // cmbFileMask
    std::string minimumKB;   // txtMin
    std::string maximumKB;   // txtMax
    std::string minimumDate; // txtMinDate
    std::string maximumDate; // txtMaxDate
};

// The dialog control that takes the focus (with its text selected) after a
// refused check.
enum class FolderField { MinimumSize, MaximumSize, MinimumDate, MaximumDate };

struct FolderFormError {
    std::string message; // shown in a box titled "Error" with an OK button
    FolderField focus;
};

// The largest size bound in KB: its bytes still fit in a 64-bit size.
inline constexpr std::int64_t kLargestSizeKB = 9007199254740991; // 2^53 - 1

// A size bound typed in KB as the scan uses it: the number × 1024, rounded, in
// bytes. Nothing when the text is not a number, is below 0 or names more than
// kLargestSizeKB.
std::optional<std::int64_t> sizeBoundBytes(std::string_view text);

// A size in KB as the dialog compares it: a size bound (sizeBoundBytes),
// rounded to whole KB. Anything else is not a size.
std::optional<std::int64_t> sizeInKB(std::string_view text);

// A size or date column of a SearchList row that a scan cannot take: the
// error number the scan reports it with (13 not a number or date, 6 a size out
// of range), the column, its field number in a parameters-file line, the
// value and what is wrong with it.
struct RowValueProblem {
    long number;
    const char* column; // "Min Size", "Max Size", "Min Date", "Max Date"
    int field;
    std::string value;
    std::string problem; // "is not a number", ...
};

// The first column of `row` that a scan cannot take; the size columns only
// when `withSizes` (the zero-size search reads none).
std::optional<RowValueProblem> rowValueProblem(const SearchPathRow& row, bool withSizes);

// What leaving the size fields does: a minimum that is not a size becomes
// "10"; a maximum that is not a size is emptied, one not greater than the
// minimum is refused.
void correctMinimum(FolderForm& form);
std::optional<FolderFormError> checkMaximum(FolderForm& form);

// The checks of the dialog's OK, in order: corrects the sizes in `form` as
// leaving their fields does, then refuses the first wrong size or date.
std::optional<FolderFormError> validateFolderForm(FolderForm& form);

// A valid form as the dialog hands it back: an empty mask means all files;
// an excluded folder keeps no mask and no sizes and always has sub-folders.
void acceptFolderForm(FolderForm& form);

// The SearchList row of an accepted form: dates written as "mm/dd/yyyy".
SearchPathRow searchPathRow(const FolderForm& form);

// The dialog's form preset from an existing row, for editing it.
FolderForm folderFormFor(const SearchPathRow& row);

// Everything OK does to the values, without a dialog: the row, or the first
// check's message.
std::variant<SearchPathRow, FolderFormError> makeSearchPathRow(FolderForm form);

// The file masks the dialog offers and the choices it remembers.
std::vector<std::string> loadFileMasks(const SettingsStore& settings);
// Puts a new mask text (not empty when trimmed, not yet listed exactly) at
// the top of `masks` and stores the whole list; true when it was added.
bool rememberFileMask(std::vector<std::string>& masks, SettingsStore& settings,
                      const std::string& mask);
// The dialog's starting values for a new folder: the remembered mask and sizes.
FolderForm newFolderDefaults(const SettingsStore& settings);
// Keeps what OK confirmed for next time. The mask and sizes of an excluded
// folder were never chosen, so they leave the remembered ones alone.
void saveFolderChoices(SettingsStore& settings, const FolderForm& accepted);

// SearchList commands. Add updates the row with the same text (exact letter
// case) or appends one; Edit replaces the selected row; Remove drops it. Each
// keeps `cmdRemoveEnabled` and the selection in step with the rows.
void addSearchPath(WindowModel& model, SearchPathRow row);
void replaceSelectedSearchPath(WindowModel& model, SearchPathRow row);
void removeSelectedSearchPath(WindowModel& model);

} // namespace twinsift
