#include "marking/advanced_marking.h"

#include "core/convert.h"
#include "core/guard.h"
#include "core/window_commands.h"
#include "core/window_model.h"
#include "marking/keep_one.h"
#include "marking/mark_writer.h"
#include "marking/quick_marks.h"
#include "marking/sort_cols.h"
#include "platform/settings_store.h"
#include "platform/user_interface.h"
#include "scan/file_mask.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <unordered_set>

namespace twinsift {
namespace {

using Keep = AdvMarkChoices::Keep;
using Limit = AdvMarkChoices::Limit;

constexpr const char* kSection = "AdvMarking";
constexpr std::int64_t kCdKb = 716800;
constexpr std::int64_t kDvdKb = 4589843; // 4,700,000,000 bytes
// Larger limits mean no limit in practice and must not overflow as bytes.
constexpr std::int64_t kLargestLimitBytes = std::numeric_limits<std::int64_t>::max() / 2;

Keep& ruleOf(AdvMarkChoices& choices, RuleFrame frame) {
    switch (frame) {
    case RuleFrame::FileSize:
        return choices.sizeRule;
    case RuleFrame::Version:
        return choices.versionRule;
    case RuleFrame::DateTime:
        break;
    }
    return choices.dateRule;
}

// The stored digit of an option group; anything else is the default.
template <class Choice>
Choice storedChoice(const SettingsStore& settings, const char* key, Choice fallback, int count) {
    const std::string text = settings.getSetting(kSection, key, "");
    if (text.size() == 1 && text[0] >= '0' && text[0] < '0' + count)
        return static_cast<Choice>(text[0] - '0');
    return fallback;
}

template <class Choice> std::string digitOf(Choice choice) {
    return std::to_string(static_cast<int>(choice));
}

// The rule that ranks the rows of a group: time before size before version.
KeepRule keepRuleOf(const AdvMarkChoices& choices) {
    if (choices.dateRule != Keep::None)
        return {KeepRule::Key::LastWrite, choices.dateRule == Keep::Newer};
    if (choices.sizeRule != Keep::None)
        return {KeepRule::Key::Size, choices.sizeRule == Keep::Newer};
    if (choices.versionRule != Keep::None)
        return {KeepRule::Key::Version, choices.versionRule == Keep::Newer};
    return {KeepRule::Key::LastWrite, true};
}

// Ticks every folder below a ticked one. In byte order a folder's sub-folders
// follow it directly, so one walk with the latest ticked folder suffices.
void tickSubFolders(const std::vector<std::string>& folders, std::vector<bool>& ticked) {
    std::vector<std::size_t> order(folders.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return folders[a] < folders[b]; });
    const std::string* tickedAbove = nullptr;
    for (const std::size_t f : order) {
        if (tickedAbove && folders[f].starts_with(*tickedAbove))
            ticked[f] = true;
        else if (ticked[f])
            tickedAbove = &folders[f];
        else
            tickedAbove = nullptr;
    }
}

} // namespace

void chooseKeepRule(AdvMarkChoices& choices, RuleFrame frame, Keep keep) {
    ruleOf(choices, frame) = keep;
    if (keep != Keep::None) {
        for (const RuleFrame other : {RuleFrame::DateTime, RuleFrame::FileSize, RuleFrame::Version})
            if (other != frame)
                ruleOf(choices, other) = Keep::None;
    } else if (choices.dateRule == Keep::None && choices.sizeRule == Keep::None &&
               choices.versionRule == Keep::None) {
        choices.dateRule = Keep::Newer;
    }
}

AdvMarkChoices loadAdvMarkChoices(const SettingsStore& settings) {
    AdvMarkChoices choices;
    choices.dateRule = Keep::None;
    chooseKeepRule(choices, RuleFrame::DateTime,
                   storedChoice(settings, "DateTime", Keep::Newer, 3));
    chooseKeepRule(choices, RuleFrame::FileSize, storedChoice(settings, "FileSize", Keep::None, 3));
    chooseKeepRule(choices, RuleFrame::Version, storedChoice(settings, "Version", Keep::None, 3));
    choices.limit = storedChoice(settings, "SizeLimit", Limit::None, 4);
    choices.limitText = settings.getSetting(kSection, "txtSize", "");
    choices.limitUnit = settings.getSetting(kSection, "cmbSizeOptions", "KB");
    choices.rangeMask = settings.getSetting(kSection, "cmbFileMask1", "All files(*.*)");
    choices.includeSubFolders = settings.getSetting(kSection, "chkIncSubFolders", "1") != "0";
    choices.folderMask = settings.getSetting(kSection, "cmbFileMask2", "All files(*.*)");
    return choices;
}

void saveAdvMarkChoices(SettingsStore& settings, const AdvMarkChoices& choices) {
    settings.saveSetting(kSection, "DateTime", digitOf(choices.dateRule));
    settings.saveSetting(kSection, "FileSize", digitOf(choices.sizeRule));
    settings.saveSetting(kSection, "Version", digitOf(choices.versionRule));
    settings.saveSetting(kSection, "SizeLimit", digitOf(choices.limit));
    settings.saveSetting(kSection, "txtSize", choices.limitText);
    settings.saveSetting(kSection, "cmbSizeOptions", choices.limitUnit);
    settings.saveSetting(kSection, "cmbFileMask1", choices.rangeMask);
    settings.saveSetting(kSection, "chkIncSubFolders", choices.includeSubFolders ? "1" : "0");
    settings.saveSetting(kSection, "cmbFileMask2", choices.folderMask);
}

// Too long for the list below at its indentation, where it would be split.
constexpr const char* kProgramSourceMask =
    "Program source (*.asm *.c *.cpp *.css *.h *.bas *.vba *.dpr *.dfm *.inc *.pas *.js *.java)";

const std::vector<std::string>& presetMasks() {
    static const std::vector<std::string> masks = {
        "All files(*.*)",
        "Documents(*.doc *.pdf *.rtf *.xls *.ppt)",
        "File archive (*.zip *.cab *.arc *.arj *.rar *.jar)",
        "Images  (*.bmp *.gif *.jpg *.jpeg *.pcx *.png *.psd *.tif *.wmf)",
        "Music files (*.mpa *.mp2 *.mp3 *.wav *.mid *.midi *.aif *.aiff *.au *.rmi *.snd *.ogg)",
        "Program files (*.exe *.dll *.com *.sys *.ocx *.vbx *.bat *.msi)",
        kProgramSourceMask,
        "Text files  (*.txt *.bak)",
        "Video clips (*.avi *.mov *.mpg *.m1v *.mpeg *.qt *.wm *.wmv)",
        "Web pages  (*.htm *.html *.php *.asp *.xml)",
    };
    return masks;
}

bool MaskMatch(std::string_view name, std::string_view mask) {
    return FileMask(mask).matches(name);
}

std::optional<std::int64_t> sizeLimitBytes(const AdvMarkChoices& choices) {
    switch (choices.limit) {
    case Limit::None:
        return 0;
    case Limit::CD:
        return kCdKb * 1024;
    case Limit::DVD:
        return kDvdKb * 1024;
    case Limit::Specify:
        break;
    }
    const std::optional<double> number = readNumber(choices.limitText);
    if (!number)
        return std::nullopt;
    // A limit in KB keeps its fraction (2.7 KB stops past 2,764 bytes); MB and
    // GB take the whole part of the number.
    double bytes = 0;
    if (choices.limitUnit == "KB")
        bytes = std::floor(*number * 1024);
    else if (choices.limitUnit == "MB")
        bytes = std::trunc(*number) * 1024 * 1024;
    else if (choices.limitUnit == "GB")
        bytes = std::trunc(*number) * 1024 * 1024 * 1024;
    if (bytes <= 0)
        return 0;
    return bytes >= static_cast<double>(kLargestLimitBytes) ? kLargestLimitBytes
                                                            : static_cast<std::int64_t>(bytes);
}

bool markByRange(WindowModel& model, UserInterface& ui, const AdvMarkChoices& choices) {
    if (refuseEmptyList(model, ui))
        return false;
    bool marked = false;
    Guard(ui, "AdvMarking - Tab1").step(1, [&] {
        SortCols(model, ui, 5, SortRequest::Ascending);
        const std::optional<std::int64_t> limitBytes = sizeLimitBytes(choices);
        if (!limitBytes) {
            ui.messageBox({"Type only integer values", "Error", MsgIcon::None, MsgButtons::OK});
            return;
        }
        // A sort the user abandoned in the error report leaves groups apart.
        if (model.sortKey != ColSortGrpno || model.sortDescending)
            return;
        const MarkedTotals totals = markAllButOnePerGroup(model, keepRuleOf(choices),
                                                          FileMask(choices.rangeMask), *limitBytes);
        ShowMarkedTotals(model, totals);
        marked = true;
    });
    return marked;
}

bool markByFolders(WindowModel& model, UserInterface& ui, std::vector<bool>& ticked,
                   bool includeSubFolders, std::string_view mask) {
    if (refuseEmptyList(model, ui))
        return false;
    bool marked = false;
    Guard(ui, "AdvMarking - Tab2").step(1, [&] {
        SortCols(model, ui, 6, SortRequest::Ascending);
        ticked.resize(model.lvFolders.size(), false);
        if (includeSubFolders)
            tickSubFolders(model.lvFolders, ticked);
        std::unordered_set<std::string_view> tickedFolders;
        for (std::size_t f = 0; f < ticked.size(); ++f)
            if (ticked[f])
                tickedFolders.insert(model.lvFolders[f]);
        const FileMask fileMask(mask);
        MarkWriter writer(model);
        MarkedTotals totals;
        // Rows come sorted by folder: each folder is looked up once per run.
        // Their texts lie all over the heap, so those a few rows ahead are
        // asked for early and the reads overlap.
        constexpr std::size_t kAhead = 16;
        std::string_view lastFolder;
        bool inTickedFolder = false;
        for (std::size_t r = 0; r < model.rows.size(); ++r) {
            if (r + kAhead < model.rows.size()) {
                __builtin_prefetch(model.rows[r + kAhead].folder().data());
                __builtin_prefetch(model.rows[r + kAhead].name().data());
            }
            const ResultRow& row = model.rows[r];
            if (r == 0 || row.folder() != lastFolder) {
                lastFolder = row.folder();
                inTickedFolder = tickedFolders.contains(lastFolder);
            }
            if (inTickedFolder && fileMask.matches(row.name())) {
                writer.set(r, true);
                ++totals.count;
                totals.bytes += row.facts.size;
            }
        }
        writer.flush();
        ShowMarkedTotals(model, totals);
        marked = true;
    });
    return marked;
}

void clearAllMarks(WindowModel& model) {
    MarkWriter writer(model);
    for (std::size_t r = 0; r < model.rows.size(); ++r)
        writer.set(r, false);
    writer.flush();
}

} // namespace twinsift
