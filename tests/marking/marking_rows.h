#pragma once

#include "core/window_model.h"

#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>

namespace twinsift::test {

// One listed file: its path, group and the facts the marking rules rank by.
struct Listed {
    std::string path;
    std::int32_t group = 1;
    std::int64_t size = 1;
    std::int64_t seconds = 0;
    std::string version = "N/A";
    bool marked = false;
};

inline ResultRow listedRow(const Listed& file) {
    const auto slash = file.path.rfind('/');
    RowFacts facts;
    facts.size = file.size;
    facts.lastWriteSeconds = file.seconds;
    facts.group = file.group;
    ResultRow row = makeResultRow(file.path.substr(slash + 1), file.path.substr(0, slash + 1),
                                  file.version, "2024-03-05 14:07", facts);
    row.icon = file.marked ? image::Marked : image::Unmarked;
    return row;
}

// Lists `files` in the given order with the tables a fresh list has.
inline void listFiles(WindowModel& model, const std::vector<Listed>& files) {
    model.rows.clear();
    model.lvFolders.clear();
    model.GroupSizes.assign(1, 0);
    model.GroupCount = 0;
    for (const Listed& file : files) {
        model.rows.push_back(listedRow(file));
        const ResultRow& row = model.rows.back();
        if (std::find(model.lvFolders.begin(), model.lvFolders.end(), row.folder()) ==
            model.lvFolders.end())
            model.lvFolders.push_back(row.folder());
        model.GroupCount = std::max(model.GroupCount, file.group);
        model.GroupSizes.resize(static_cast<std::size_t>(model.GroupCount) + 1, 0);
        ++model.GroupSizes[static_cast<std::size_t>(file.group)];
    }
    computeRowShades(model);
}

// The marks in list order: "x" marked, "." not.
inline std::string marks(const WindowModel& model) {
    std::string shown;
    for (const ResultRow& row : model.rows)
        shown += row.marked() ? 'x' : '.';
    return shown;
}

inline std::vector<std::string> names(const WindowModel& model) {
    std::vector<std::string> listed;
    for (const ResultRow& row : model.rows)
        listed.push_back(row.name());
    return listed;
}

inline std::string totalsShown(const WindowModel& model) {
    return model.statusPanels[PanelProgress].text;
}

} // namespace twinsift::test
