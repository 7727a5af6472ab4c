#pragma once

#include <cstddef>
#include <cstdio>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace twinsift {

// What a reader takes at most from a text file a user can name: a device, a
// FIFO or a huge file must neither fill the memory nor stall the program.
inline constexpr std::size_t kTextFileLimit = std::size_t{64} << 20; // 64 MiB
inline constexpr std::size_t kTextLineLimit = std::size_t{1} << 20;  // 1 MiB

// The whole content of a regular file of at most kTextFileLimit bytes;
// nothing when it does not exist. Any other failure, a file that is not a
// regular one included, throws the RuntimeError of systemError with the path
// and the reason in its description.
std::optional<std::string> readWholeFile(const std::string& path);

// A regular text file read line by line, for readers that want only its first
// lines (a session's result lines, which may be millions, are never read just
// to be skipped). Fails as readWholeFile does, a missing file with error 53.
class TextFileLines {
public:
    // Reads at most `fileLimit` bytes: more is a failure.
    explicit TextFileLines(const std::string& path, std::size_t fileLimit = kTextFileLimit);

    // The file's size when it was opened.
    std::size_t fileSize() const { return m_fileSize; }

    // The next line without its LF or CR LF; nothing at the end of the file.
    // Throws for a line longer than kTextLineLimit and for reading past the
    // file limit, and throws the same again at every later call.
    std::optional<std::string> next();

private:
    std::optional<std::string> nextLine();
    // Reads the next piece of the file into the buffer; false at its end.
    bool fillBuffer();

    struct Closer {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    std::string m_path;
    std::unique_ptr<std::FILE, Closer> m_file;
    std::size_t m_fileLimit;
    std::size_t m_fileSize = 0;
    std::size_t m_bytesRead = 0;
    std::string m_buffer;
    std::size_t m_bufferStart = 0; // what the lines have not taken yet
    int m_lineNumber = 0;
    std::exception_ptr m_failure;
};

// Writes `text` to a sibling file and renames it over `path`, or over the file
// a final link leads to, so that a failure half-way (a full disk) leaves the
// earlier file as it was. Throws the RuntimeError of the failure (76 "Path not
// found" when the folder is missing); no partial file is left behind. Only a
// file in a folder the user may not add to is written in place, where a
// failure half-way leaves it cut short.
void replaceWholeFile(const std::string& path, std::string_view text);

// Hands one piece of a text to the file being written.
using WritePiece = std::function<void(std::string_view piece)>;

// replaceWholeFile for a text too large to hold at once: `produce` writes it
// piece by piece through the function it is given. What `produce` throws
// leaves the earlier file as a failed write does.
void replaceFileByPieces(const std::string& path,
                         const std::function<void(const WritePiece& write)>& produce);

} // namespace twinsift
