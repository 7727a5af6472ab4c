#include "persist/export_writer.h"

#include "core/format.h"
#include "core/guard.h"
#include "core/posix_file.h"
#include "core/runtime_error.h"
#include "core/text_file.h"
#include "platform/user_interface.h"

#include <cerrno>
#include <fcntl.h>

namespace twinsift {
namespace {

bool refused(const RuntimeError& failure, UserInterface& ui) {
    if (failure.number() != err::PermissionDenied)
        return false;
    ui.messageBox({"File is already open please close it and proceed.", "Permission denied",
                   MsgIcon::None, MsgButtons::OK});
    return true;
}

} // namespace

// Known before any work, so that a later failure leaves the content alone.
// A target not there yet is not created here: a failed write must not leave
// an empty file behind; writing it tells its own failures. Non-blocking: a
// FIFO without a reader fails instead of stalling. A read-only file system
// refuses the target as its permissions would.
void probeTarget(const std::string& path) {
    UniqueFd probe(::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC));
    if (!probe.valid() && errno != ENOENT) {
        const int error = errno;
        throw systemError(error == EROFS ? EACCES : error, false);
    }
}

std::vector<std::size_t> exportedRows(const WindowModel& model, ExportRows which) {
    std::vector<std::size_t> rows;
    for (std::size_t i = 0; i < model.rows.size(); ++i) {
        const ResultRow& row = model.rows[i];
        if (which == ExportRows::All || (which == ExportRows::Marked && row.marked()) ||
            (which == ExportRows::Selected && row.selected))
            rows.push_back(i);
    }
    return rows;
}

void ExportText::add(std::string_view text) {
    m_piece.AddToString(text);
    if (m_piece.text().size() >= kPieceSize)
        flush();
}

void ExportText::flush() {
    if (m_piece.text().empty())
        return;
    m_write(m_piece.text());
    m_piece.clear();
}

bool writeExport(const std::string& path, const std::string& errorLabel, UserInterface& ui,
                 const std::function<void(ExportText& text)>& build) {
    if (trimmed(path).empty())
        return false;
    Guard guard(ui, errorLabel);
    // A refused target is told once and ends the export; Retry in the error
    // report is for the failures that may pass.
    bool denied = false;
    const auto unlessDenied = [&](const auto& body) {
        return [&] {
            try {
                body();
            } catch (const RuntimeError& failure) {
                if (!refused(failure, ui))
                    throw;
                denied = true;
            }
        };
    };
    if (!guard.step(1, unlessDenied([&] { probeTarget(path); })) || denied)
        return false;
    const auto writeText = [&](const WritePiece& write) {
        ExportText text(write);
        build(text);
        text.add("\r\n");
        text.flush();
    };
    return guard.step(2, unlessDenied([&] { replaceFileByPieces(path, writeText); })) && !denied;
}

} // namespace twinsift
