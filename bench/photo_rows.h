// The result list the export and session benchmarks share: a million rows in
// 330,000 groups, photo names in 10,000 folders, every third row marked.
#pragma once

#include "core/format.h"
#include "core/window_model.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>

namespace twinsift::bench {

inline constexpr int kRows = 1'000'000;
inline constexpr int kFolders = 10'000;

// The rows as a search lists them, or, with `asLoaded`, as a session load
// makes them: each group's saved sort key shared by its rows.
inline std::unique_ptr<WindowModel> photoRows(bool asLoaded = false) {
    auto model = std::make_unique<WindowModel>();
    std::mt19937 random(42);
    std::vector<SharedText> folders;
    for (int f = 0; f < kFolders; ++f) {
        char folder[64];
        std::snprintf(folder, sizeof folder, "/home/user/Pictures/d%04d/s%d/", f / 5, f % 5);
        folders.emplace_back(folder);
    }
    model->rows.reserve(kRows);
    SharedText groupKey;
    for (int i = 0; i < kRows; ++i) {
        char name[48];
        std::snprintf(name, sizeof name, "IMG_2024%04d_%06d & copy.jpg",
                      static_cast<int>(random() % 1231), i);
        RowFacts facts;
        facts.size = static_cast<std::int64_t>(random() % 10'000'000 + 1);
        facts.lastWriteSeconds = 1'700'000'000 + static_cast<std::int64_t>(random() % 10'000'000);
        facts.lastWriteSeconds -= facts.lastWriteSeconds % 60;
        facts.group = i / 3 + 1;
        if (asLoaded && i % 3 == 0)
            groupKey = SharedText(zeroPadded(facts.group, 11));
        model->rows.push_back(makeResultRow(name, folders[random() % kFolders],
                                            random() % 4 == 0 ? "1.2.3.4" : "N/A",
                                            fileTimeText(facts.lastWriteSeconds), facts, groupKey));
        model->rows.back().icon = i % 3 == 2 ? image::Marked : image::Unmarked;
    }
    return model;
}

// `name` and the process id in $TMPDIR (or /tmp), so that runs side by side
// do not meet.
inline std::string benchFile(const char* name) {
    const char* folder = std::getenv("TMPDIR");
    return std::string(folder != nullptr && *folder != '\0' ? folder : "/tmp") + "/" + name +
           std::to_string(::getpid());
}

} // namespace twinsift::bench
