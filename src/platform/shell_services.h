#pragma once

#include "core/io_result.h"
#include "platform/file_ops.h"

#include <string>

namespace twinsift {

// The desktop shell's file operations and its properties sheet. The asking
// (confirmations, where to) belongs to the run that calls them.
class ShellServices {
public:
    virtual ~ShellServices() = default;

    // A file that cannot be deleted, copied, moved or renamed is an outcome
    // the run reports and goes on from; it stays where it was.
    virtual IoResult ShellDelete(const std::string& path, bool toTrash) = 0;
    // Copy and move into a folder, renaming on collision ("name (2).ext") and
    // never replacing a file; the name the file got comes back.
    virtual Placed ShellCopy(const std::string& source, const std::string& folder,
                             const CancelCheck& cancelled) = 0;
    virtual Placed ShellMove(const std::string& source, const std::string& folder,
                             const CancelCheck& cancelled) = 0;
    // Refuses an existing target; never replaces it.
    virtual IoResult ShellRename(const std::string& oldPath, const std::string& newPath) = 0;
    virtual bool ShowProperties(const std::string& path) = 0;
};

// The file operations of file_ops.h, the same for both front ends; what
// shows the properties is up to each front end.
class FileShellServices : public ShellServices {
public:
    IoResult ShellDelete(const std::string& path, bool toTrash) override {
        return toTrash ? trashFile(path) : deleteFile(path);
    }
    Placed ShellCopy(const std::string& source, const std::string& folder,
                     const CancelCheck& cancelled) override {
        return copyIntoFolder(source, folder, cancelled);
    }
    Placed ShellMove(const std::string& source, const std::string& folder,
                     const CancelCheck& cancelled) override {
        return moveIntoFolder(source, folder, cancelled);
    }
    IoResult ShellRename(const std::string& oldPath, const std::string& newPath) override {
        return renameFile(oldPath, newPath);
    }
};

// Hands files and addresses to the desktop's programs.
class Launcher {
public:
    virtual ~Launcher() = default;

    // Opens a file with its program (the shell's "open" verb).
    virtual bool openDocument(const std::string& path) = 0;
    virtual bool openUrl(const std::string& url) = 0;
    // Shows the file selected in the file manager; false when nothing could.
    virtual bool showInFileManager(const std::string& path) = 0;
};

// Plays a sound file; a missing file or no audio device is silence.
class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    virtual void play(const std::string& path) = 0;
};

} // namespace twinsift
