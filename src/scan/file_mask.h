#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace twinsift {

// The text after the last "." of a file name, empty when the name has none.
// A view into `name`, so testing every listed name costs no allocation.
std::string_view extensionView(std::string_view name);

// A file-mask text as the search-path rows carry it: a display name followed
// by "*." extension tokens, "Documents(*.doc *.pdf *.rtf *.xls *.ppt)". A token
// runs up to the next blank, ")", ";" or the end of the text, so typed masks
// such as "*.dat" or "*.jpg;*.png" work without brackets. An empty text, or one
// that contains "*.*" anywhere, accepts every file. Extensions compare without
// regard to letter case (Unicode simple case folding).
class FileMask {
public:
    explicit FileMask(std::string_view text = {});

    bool acceptsAll() const { return m_all; }
    // True when `name` has an extension equal to one of the tokens; a name
    // without a "." never matches a mask that names extensions.
    bool matches(std::string_view name) const;

private:
    bool m_all = true;
    std::vector<std::string> m_extensions; // case-folded
};

// Wildcard patterns separated by ";": "*" any run of characters, "?" any one
// character, "#" any one digit, "[list]" any one character of the list. A name
// matches when it matches one pattern, ignoring letter case. An empty list
// matches every name.
class PatternMask {
public:
    explicit PatternMask(std::string_view text = {});

    bool matches(std::string_view name) const;

private:
    std::vector<std::string> m_patterns; // case-folded
};

// Excluded extensions, each followed by ";" ("*.tmp;*.BAK;" or "tmp;bak;").
// A file is excluded when its whole extension equals an entry in any letter
// case: excluding tmp excludes a.tmp and A.TMP but neither a.mp nor a.tmpx.
class ExtensionExclusions {
public:
    explicit ExtensionExclusions(std::string_view text = {});

    bool empty() const { return m_extensions.empty(); }
    bool excludes(std::string_view name) const;

private:
    std::vector<std::string> m_extensions; // case-folded, without "*."
};

// The non-blank entries of a ";"-separated list, each trimmed.
std::vector<std::string> listEntries(std::string_view text);

// Excluded folder paths. A path is excluded when it is one of them or lies
// below one, compared by whole path components and in any letter case:
// excluding /data/Temp excludes /data/temp/x but not /data/Temp2.
class FolderExclusions {
public:
    explicit FolderExclusions(const std::vector<std::string>& folders = {});
    // The same from a ";"-separated text, each entry trimmed.
    explicit FolderExclusions(std::string_view text) : FolderExclusions(listEntries(text)) {}

    bool empty() const { return m_folders.empty(); }
    bool excludes(std::string_view path) const;

private:
    std::vector<std::string> m_folders; // case-folded, without a trailing "/"
};

// True when `path` names one of the operating system's own folders (/usr,
// /etc, ...) or lies below one, by whole path components: /usr and /usr/lib/
// are system folders, /usr2/ and /home/me/usr/ are not.
bool isSystemFolder(std::string_view path);

// True when the component-wise test "path is `folder` or lies below it" holds.
// `folder` has no trailing "/" (the root is the empty text); `path` may have one.
bool isSameOrBelow(std::string_view path, std::string_view folder);

} // namespace twinsift
