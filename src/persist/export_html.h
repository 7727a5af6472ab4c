#pragma once

#include "persist/export_writer.h"

#include <cstddef>
#include <string_view>
#include <vector>

namespace twinsift {

class UserInterface;

// The HTML report of the result list: head and style block, a summary table
// (the counts of the status bar's files and duplicates panels and
// `generatedOn`), one table row per exported row, shaded by duplicate group,
// and a footer bar. `rows` are indexes into `model.rows`; the page lists them
// in list order whatever their order here, and ignores indexes past the end.
// Lines end in CR LF; the footer has no line end of its own. `progress` is
// told after every row of the list, exported or not.
//
// Every value comes from a file name, a folder or a version resource, so it
// is written as text, never as markup: HTML-escaped, with each byte that is
// not part of valid UTF-8 shown as U+FFFD, in a page that declares UTF-8.
void appendHtmlReport(ExportText& text, const WindowModel& model,
                      const std::vector<std::size_t>& rows, std::string_view generatedOn,
                      const ExportProgress& progress);

// The export wizard's HTML writer, generated now: true once the file is
// written.
bool ExportHtml(const WindowModel& model, const ExportRequest& request, UserInterface& ui);

} // namespace twinsift
