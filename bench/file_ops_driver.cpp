// Runs Delete, Move or Copy over the files given the way the window's run
// does: each file is a marked row, looked at again before it is acted on,
// and for Delete and Move the kept copy of its group (KEPT, an unmarked row)
// is looked at too. bench_file_ops.sh times it against the system's own
// tools on the same kind of files.
//
//     file_ops_driver trash|delete KEPT FILE...
//     file_ops_driver move|copy FOLDER KEPT FILE...
#include "core/window_model.h"
#include "fileops/file_operation.h"
#include "no_questions.h"
#include "platform/shell_services.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

using namespace twinsift;

namespace {

class NoSheet : public FileShellServices {
public:
    bool ShowProperties(const std::string&) override { return false; }
};

class FailuresToStderr : public FileOpProgress {
public:
    void showLabel(const std::string&) override {}
    void showProgress(std::int64_t, std::int64_t) override {}
    void addFailure(const FileOpFailure& failure) override {
        std::fprintf(stderr, "%s %s %s\n", failure.number.c_str(), failure.description.c_str(),
                     failure.path.c_str());
    }
    bool cancelRequested() override { return false; }
};

// One row of group 1 for the file at `path`, as a search lists it.
bool addRow(WindowModel& model, const std::string& path, bool marked) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0) {
        std::fprintf(stderr, "%s: %s\n", path.c_str(), std::strerror(errno));
        return false;
    }
    const RowFacts facts{status.st_size, status.st_mtim.tv_sec,
                         static_cast<std::int32_t>(status.st_mtim.tv_nsec), 1,
                         FileIdentity{status.st_dev, status.st_ino}};
    const std::size_t slash = path.rfind('/') + 1;
    model.rows.push_back(
        makeResultRow(path.substr(slash), path.substr(0, slash), "N/A", "2024-03-05 14:07", facts));
    model.rows.back().icon = marked ? image::Marked : image::Unmarked;
    return true;
}

} // namespace

int main(int argc, char** argv) {
    const std::string_view operation = argc > 1 ? argv[1] : "";
    FileOpSettings settings;
    settings.removeEmptyFolders = false; // the tools do not sweep either
    settings.toTrash = operation == "trash";
    settings.mode = operation == "move"   ? FileOpMode::Move
                    : operation == "copy" ? FileOpMode::Copy
                                          : FileOpMode::Delete;
    const bool intoFolder = settings.mode != FileOpMode::Delete;
    const int first = intoFolder ? 4 : 3;
    if ((!intoFolder && operation != "trash" && operation != "delete") || argc < first) {
        std::fputs("usage: file_ops_driver trash|delete KEPT FILE... | "
                   "move|copy FOLDER KEPT FILE...\n",
                   stderr);
        return 2;
    }
    if (intoFolder)
        settings.destination = argv[2];
    WindowModel model;
    model.GroupCount = 1;
    bool listed = addRow(model, argv[first - 1], false);
    for (int i = first; i < argc; ++i)
        listed = addRow(model, argv[i], true) && listed;
    if (!listed)
        return 2;
    bench::NoQuestions ui;
    NoSheet shell;
    FailuresToStderr progress;
    const FileOpOutcome outcome = runFileOperation(model, settings, shell, ui, progress);
    return outcome.failures.empty() ? 0 : 1;
}
