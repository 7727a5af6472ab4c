#pragma once

#include "core/append_string.h"
#include "core/text_file.h"
#include "core/window_model.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace twinsift {

class UserInterface;

// Which rows of the result list an export writes; the numbers are the ones
// the "ExportType" setting stores.
enum class ExportRows { All = 1, Marked = 2, Selected = 3 };

// The indexes of the rows to export, in list order (never in the order the
// user selected them).
std::vector<std::size_t> exportedRows(const WindowModel& model, ExportRows which);

// Told after each row how many rows of the list have been passed and how many
// the list holds, for a progress bar.
using ExportProgress = std::function<void(std::size_t passed, std::size_t total)>;

// What every export is asked to do.
struct ExportRequest {
    std::string path;
    ExportRows rows = ExportRows::All;
    ExportProgress progress;
};

// The text of an export, built in an AppendString and handed on a few
// megabytes at a time, so that a million rows never sit in memory at once.
class ExportText {
public:
    explicit ExportText(WritePiece write) : m_write(std::move(write)) {}

    void add(std::string_view text);
    // Hands on what was added and not handed on yet.
    void flush();

private:
    static constexpr std::size_t kPieceSize = std::size_t{4} << 20;

    WritePiece m_write;
    AppendString m_piece;
};

// Opens an existing `path` for writing without emptying it and throws the
// RuntimeError of a refusal (70 for a read-only file or file system): the
// atomic replace renames over a file whatever its permissions. A path not
// there yet passes, and is not created.
void probeTarget(const std::string& path);

// The steps every export writer shares. Makes sure `path` can be written
// before any work, lets `build` add the whole text line by line, ends it
// with one more CR LF and puts it in place in one atomic replace, so that a
// failure half-way leaves the earlier file as it was. A target that may not
// be written is told as "File is already open please close it and proceed.";
// any other failure goes to the error report under `errorLabel`. True once
// the file is written; nothing is done for a blank path.
bool writeExport(const std::string& path, const std::string& errorLabel, UserInterface& ui,
                 const std::function<void(ExportText& text)>& build);

} // namespace twinsift
