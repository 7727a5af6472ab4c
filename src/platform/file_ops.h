#pragma once

#include "core/io_result.h"

#include <functional>
#include <string>

namespace twinsift {

// Asked between the chunks of a copy; true stops it.
using CancelCheck = std::function<bool()>;

// Where a copied or moved file ended up, or why it did not get there.
struct Placed {
    IoResult result;
    std::string path; // the file's new full path when result.ok()
};

// Moves a file to the freedesktop Trash (the home Trash, or the Trash of the
// file's own volume). Where no Trash takes it the file stays and the result
// carries GIO's reason: it is never deleted instead.
IoResult trashFile(const std::string& path);

// Deletes a file for good.
IoResult deleteFile(const std::string& path);

// Gives a file a new path; an existing target is refused, never replaced.
IoResult renameFile(const std::string& oldPath, const std::string& newPath);

// Gives the file `from` (relative to the folder descriptor `fromDir`, or
// AT_FDCWD) the name `to` unless that is taken: 0, or errno (EEXIST when
// taken). Where the file system knows no RENAME_NOREPLACE it is done by
// linkThenUnlink(), and where it cannot link either it fails.
int renameNoReplace(int fromDir, const std::string& from, int toDir, const std::string& to);

// A rename that never replaces, for file systems without RENAME_NOREPLACE:
// link to the new name (refused when taken), then unlink the old one. When
// the unlink fails the new name goes again. 0, or errno.
int linkThenUnlink(int fromDir, const std::string& from, int toDir, const std::string& to);

// The name a file gets in a folder that already holds its own name: the
// number goes before the last extension, "a.tar.gz" -> "a.tar (2).gz"; a name
// without an extension or with a leading dot only ("notes", ".profile") gets
// it at the end: "notes (2)", ".profile (2)". `n` 1 is the name itself.
std::string numberedName(const std::string& name, int n);

// Copies a regular file into `folder` under its own name or, when that is
// taken, the first free numberedName(). The copy keeps the permission bits
// and the modification time, and is flushed and size-checked before it gets
// its name: a copy that fails or is cancelled leaves nothing behind in
// `folder`, and the source is only read.
Placed copyIntoFolder(const std::string& source, const std::string& folder,
                      const CancelCheck& cancelled = {});

// Moves a file into `folder`, named as copyIntoFolder() does. On another file
// system it copies first and removes the source only once the copy is placed
// and flushed; when anything fails the source stays and the copy goes. A
// file already in `folder` stays as it is.
Placed moveIntoFolder(const std::string& source, const std::string& folder,
                      const CancelCheck& cancelled = {});

} // namespace twinsift
