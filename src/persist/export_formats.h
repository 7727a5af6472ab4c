#pragma once

#include "persist/export_writer.h"

#include <optional>
#include <string>

namespace twinsift {

class UserInterface;

// The delimiter choices of the delimited export; the numbers are the ones
// the "ExportChar" setting stores.
enum class Delimiter { Tab = 1, Comma = 2, Semicolon = 3, Other = 4 };

// The separator a choice writes; `other` is the text typed for Other. Nothing
// for a separator no reader could split on: an empty one, or one holding a
// double quote or a line break (those are what quoting is made of).
std::optional<std::string> separatorFor(Delimiter delimiter, const std::string& other);

inline constexpr const char* kUnusableSeparatorMessage =
    "Enter a field delimiter: at least one character, without double quotes or line breaks.";

// The exported rows as XML, one element per line, values escaped so that a
// strict reader takes any file name.
void appendXmlExport(ExportText& text, const WindowModel& model,
                     const std::vector<std::size_t>& rows, const ExportProgress& progress);

// The header line and one line per exported row, values joined by
// `separator` and quoted where they hold any of its characters, a double
// quote or a line break.
void appendDelimitedExport(ExportText& text, const WindowModel& model,
                           const std::vector<std::size_t>& rows, const std::string& separator,
                           const ExportProgress& progress);

// The writers of the export wizard: true once the file is written.
bool ExportXml(const WindowModel& model, const ExportRequest& request, UserInterface& ui);
// An unusable separator is refused with kUnusableSeparatorMessage before
// anything is written.
bool ExportDelimited(const WindowModel& model, const ExportRequest& request, Delimiter delimiter,
                     const std::string& other, UserInterface& ui);

} // namespace twinsift
