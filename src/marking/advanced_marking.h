#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace twinsift {

struct WindowModel;
class UserInterface;
class SettingsStore;

// The advanced-marking dialog's choices, kept in section "AdvMarking".
struct AdvMarkChoices {
    enum class Keep { None, Newer, Older }; // date, size, version rules:
    Keep dateRule = Keep::Newer;            // "DateTime"
    Keep sizeRule = Keep::None;             // "FileSize" (larger / smaller)
    Keep versionRule = Keep::None;          // "Version"
    enum class Limit { None, CD, DVD, Specify } limit = Limit::None; // "SizeLimit"
    std::string limitText;                                           // "txtSize"
    std::string limitUnit = "KB";                                    // "cmbSizeOptions"
    std::string rangeMask = "All files(*.*)";                        // "cmbFileMask1"
    bool includeSubFolders = true;                                   // "chkIncSubFolders"
    std::string folderMask = "All files(*.*)";                       // "cmbFileMask2"
};

// The three rule frames exclude each other: a keep choice in one frame puts
// the other two to None, and None where the other two frames show None
// brings back "Keep Newer Files". Applies the choice of `keep` in `frame`.
enum class RuleFrame { DateTime, FileSize, Version };
void chooseKeepRule(AdvMarkChoices& choices, RuleFrame frame, AdvMarkChoices::Keep keep);

// The rules are read as if the user chose them in frame order, so stored
// values that contradict each other end as one rule.
AdvMarkChoices loadAdvMarkChoices(const SettingsStore& settings);
void saveAdvMarkChoices(SettingsStore& settings, const AdvMarkChoices& choices);

// The preset masks of both mask boxes, in list order.
const std::vector<std::string>& presetMasks();

// Whether `name`'s extension is one of the mask's patterns (whole tokens,
// case-insensitive, with the walker's mask rules); "*.*" matches every name.
bool MaskMatch(std::string_view name, std::string_view mask);

// The size limit in bytes (0: none): marking stops at the first matching row
// met once more bytes than this are marked. Nothing when "Specify :" holds
// no number.
std::optional<std::int64_t> sizeLimitBytes(const AdvMarkChoices& choices);

// "By Range": in every group, marks the rows matching the range mask but
// the one the rule keeps, up to the size limit, and shows the totals of the
// run. False when nothing was marked and the dialog stays: the list is empty
// ("No duplicate file has been found!") or the limit text is not a number
// ("Type only integer values").
bool markByRange(WindowModel& model, UserInterface& ui, const AdvMarkChoices& choices);

// "By Folders": `ticked` runs beside model.lvFolders. With sub-folders
// included, the folders below a ticked one are ticked too (in `ticked`).
// False when the list is empty (after "No duplicate file has been found!").
bool markByFolders(WindowModel& model, UserInterface& ui, std::vector<bool>& ticked,
                   bool includeSubFolders, std::string_view mask);

// "Clear all marks": unmarks every row, status bar untouched.
void clearAllMarks(WindowModel& model);

} // namespace twinsift
