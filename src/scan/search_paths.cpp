#include "scan/search_paths.h"

#include "core/convert.h"
#include "core/format.h"
#include "platform/settings_store.h"

#include <algorithm>
#include <cmath>

namespace twinsift {
namespace {

constexpr const char* kMaskSection = "FileMask";

bool isEmptyText(std::string_view text) {
    return trimmed(text).empty();
}

std::string dateText(const DateTime& date) {
    return zeroPadded(date.month, 2) + "/" + zeroPadded(date.day, 2) + "/" +
           zeroPadded(date.year, 4);
}

// The row's form of a typed date; an empty (or, defensively, unreadable) date
// stays empty.
std::string rowDate(std::string_view typed) {
    const auto date = readDate(typed);
    return date ? dateText(*date) : std::string();
}

std::optional<FolderFormError> checkDate(const std::string& text, FolderField field) {
    if (isEmptyText(text) || readDate(text))
        return std::nullopt;
    return FolderFormError{text + " is not a valid date", field};
}

std::optional<FolderFormError> checkDateRange(const FolderForm& form) {
    if (isEmptyText(form.maximumDate))
        return std::nullopt;
    const auto from = readDate(form.minimumDate);
    if (!from)
        return FolderFormError{"You cannot enter Max-Date until Min-Date is valid",
                               FolderField::MinimumDate};
    const auto to = readDate(form.maximumDate);
    if (to && *from > *to)
        return FolderFormError{"Max-Date must be greater than Min-Date", FolderField::MaximumDate};
    return std::nullopt;
}

bool hasSelectedSearchPath(const WindowModel& model) {
    return model.selectedSearchPath >= 0 &&
           model.selectedSearchPath < static_cast<int>(model.SearchList.size());
}

} // namespace

// Both tests read the typed number itself, so that what passes is what the
// scan uses: "-0.4" is below 0 even though it rounds to 0 KB.
std::optional<std::int64_t> sizeBoundBytes(std::string_view text) {
    const auto kilobytes = readNumber(text);
    // Multiplying by 1024 is exact, so the bound compares without rounding.
    if (!kilobytes || !(*kilobytes >= 0.0 && *kilobytes <= static_cast<double>(kLargestSizeKB)))
        return std::nullopt;
    return static_cast<std::int64_t>(std::round(*kilobytes * 1024));
}

std::optional<std::int64_t> sizeInKB(std::string_view text) {
    if (!sizeBoundBytes(text))
        return std::nullopt;
    return static_cast<std::int64_t>(std::round(*readNumber(text)));
}

std::optional<RowValueProblem> rowValueProblem(const SearchPathRow& row, bool withSizes) {
    using S = SearchPathRow;
    struct Column {
        S::SubItem sub;
        const char* name;
        int field; // the icon stands between Max Size and Min Date in a file line
    };
    static constexpr Column sizes[] = {{S::MinSize, "Min Size", 4}, {S::MaxSize, "Max Size", 5}};
    static constexpr Column dates[] = {{S::MinDate, "Min Date", 7}, {S::MaxDate, "Max Date", 8}};
    const auto problem = [&](const Column& column, long number, std::string text) {
        return RowValueProblem{number, column.name, column.field, row.subItems[column.sub],
                               std::move(text)};
    };
    for (const Column& column : sizes) {
        const std::string& text = row.subItems[column.sub];
        // An empty maximum is no bound; an empty minimum is not a number.
        if (!withSizes || (column.sub == S::MaxSize && text.empty()))
            continue;
        if (!readNumber(text))
            return problem(column, 13, "is not a number");
        const std::optional<std::int64_t> bytes = sizeBoundBytes(text);
        if (!bytes)
            return problem(column, 6,
                           "is not a size from 0 to " + std::to_string(kLargestSizeKB) + " KB");
        // A maximum of no byte would read as no maximum at all.
        if (column.sub == S::MaxSize && *bytes == 0 && *readNumber(text) > 0)
            return problem(column, 6, "is less than one byte");
    }
    for (const Column& column : dates) {
        const std::string& text = row.subItems[column.sub];
        if (!text.empty() && !readDate(text))
            return problem(column, 13, "is not a date (mm/dd/yyyy)");
    }
    return std::nullopt;
}

void correctMinimum(FolderForm& form) {
    if (!sizeInKB(form.minimumKB))
        form.minimumKB = kDefaultMinimumKB;
}

std::optional<FolderFormError> checkMaximum(FolderForm& form) {
    if (form.maximumKB.empty())
        return std::nullopt;
    const auto maximum = sizeInKB(form.maximumKB);
    if (!maximum) {
        form.maximumKB.clear();
        return std::nullopt;
    }
    // Compared with what the minimum field will hold once it is left.
    const std::int64_t minimum = sizeInKB(form.minimumKB).value_or(10);
    if (*maximum <= minimum)
        return FolderFormError{"Maximum size must be greater then minimum size",
                               FolderField::MaximumSize};
    return std::nullopt;
}

std::optional<FolderFormError> validateFolderForm(FolderForm& form) {
    correctMinimum(form);
    if (auto error = checkMaximum(form))
        return error;
    if (auto error = checkDate(form.minimumDate, FolderField::MinimumDate))
        return error;
    if (auto error = checkDate(form.maximumDate, FolderField::MaximumDate))
        return error;
    return checkDateRange(form);
}

void acceptFolderForm(FolderForm& form) {
    if (isEmptyText(form.mask))
        form.mask = kAllFilesMask;
    if (form.exclude) {
        form.subFolders = true;
        form.mask.clear();
        form.minimumKB.clear();
        form.maximumKB.clear();
    }
}

SearchPathRow searchPathRow(const FolderForm& form) {
    SearchPathRow row;
    row.text = form.folder;
    row.subItems = {form.subFolders ? "Yes" : "No",
                    form.mask,
                    form.minimumKB,
                    form.maximumKB,
                    rowDate(form.minimumDate),
                    rowDate(form.maximumDate)};
    row.icon = form.exclude ? image::ExcludedPath : image::SearchPath;
    return row;
}

FolderForm folderFormFor(const SearchPathRow& row) {
    using S = SearchPathRow;
    return {row.text,
            row.subItems[S::SubFolders] == "Yes",
            row.icon == image::ExcludedPath,
            row.subItems[S::FileType],
            row.subItems[S::MinSize],
            row.subItems[S::MaxSize],
            row.subItems[S::MinDate],
            row.subItems[S::MaxDate]};
}

std::variant<SearchPathRow, FolderFormError> makeSearchPathRow(FolderForm form) {
    if (auto error = validateFolderForm(form))
        return *error;
    acceptFolderForm(form);
    return searchPathRow(form);
}

std::vector<std::string> loadFileMasks(const SettingsStore& settings) {
    std::vector<std::string> masks;
    for (auto& [key, value] : settings.getAllSettings(kMaskSection))
        if (!value.empty())
            masks.push_back(std::move(value));
    if (masks.empty())
        masks.assign(kFileMaskPresets.begin(), kFileMaskPresets.end());
    return masks;
}

bool rememberFileMask(std::vector<std::string>& masks, SettingsStore& settings,
                      const std::string& mask) {
    if (isEmptyText(mask) || std::find(masks.begin(), masks.end(), mask) != masks.end())
        return false;
    masks.insert(masks.begin(), mask);
    for (const auto& entry : settings.getAllSettings(kMaskSection))
        settings.deleteSetting(kMaskSection, entry.first);
    for (std::size_t i = 0; i < masks.size(); ++i)
        settings.saveSetting(kMaskSection, std::to_string(i), masks[i]);
    return true;
}

FolderForm newFolderDefaults(const SettingsStore& settings) {
    FolderForm form;
    form.mask = settings.getSetting("FileMaskSelected", "Value", kAllFilesMask);
    form.minimumKB = settings.getSetting("Options", "MinFileSize", kDefaultMinimumKB);
    form.maximumKB = settings.getSetting("Options", "MaxFileSize", "");
    return form;
}

void saveFolderChoices(SettingsStore& settings, const FolderForm& accepted) {
    if (!accepted.exclude) {
        settings.saveSetting("FileMaskSelected", "Value", accepted.mask);
        settings.saveSetting("Options", "MinFileSize", accepted.minimumKB);
        settings.saveSetting("Options", "MaxFileSize", accepted.maximumKB);
    }
    settings.saveSetting("Options", "MinFileDate", accepted.minimumDate);
    settings.saveSetting("Options", "MaxFileDate", accepted.maximumDate);
}

void addSearchPath(WindowModel& model, SearchPathRow row) {
    auto& list = model.SearchList;
    const auto same = std::find_if(list.begin(), list.end(),
                                   [&](const SearchPathRow& r) { return r.text == row.text; });
    if (same != list.end()) {
        *same = std::move(row);
        model.selectedSearchPath = static_cast<int>(same - list.begin());
    } else {
        list.push_back(std::move(row));
        model.selectedSearchPath = static_cast<int>(list.size()) - 1;
    }
    model.cmdRemoveEnabled = true;
}

void replaceSelectedSearchPath(WindowModel& model, SearchPathRow row) {
    if (hasSelectedSearchPath(model))
        model.SearchList[static_cast<std::size_t>(model.selectedSearchPath)] = std::move(row);
}

void removeSelectedSearchPath(WindowModel& model) {
    if (hasSelectedSearchPath(model)) {
        auto& list = model.SearchList;
        list.erase(list.begin() + model.selectedSearchPath);
        model.selectedSearchPath =
            std::min(model.selectedSearchPath, static_cast<int>(list.size()) - 1);
    }
    model.cmdRemoveEnabled = !model.SearchList.empty();
}

} // namespace twinsift
