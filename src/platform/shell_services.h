#pragma once

#include "core/io_result.h"

#include <string>

namespace twinsift {

struct DeleteOptions {
    bool toTrash = true;        // chkSentTo: to the Trash, else permanently
    bool withoutAsking = false; // chkRespond: no per-file confirmation
};

// The desktop shell's file operations and launchers. The implementations come
// with the commands that first use them.
class ShellServices {
public:
    virtual ~ShellServices() = default;

    // A file that cannot be deleted, copied, moved or renamed is an outcome
    // the run reports and goes on from; it stays where it was.
    virtual IoResult ShellDelete(const std::string& path, const DeleteOptions& options) = 0;
    // Copy and move rename on collision ("name (2).ext") and never replace a file.
    virtual IoResult ShellCopy(const std::string& source, const std::string& destination) = 0;
    virtual IoResult ShellMove(const std::string& source, const std::string& destination,
                               bool withoutAsking) = 0;
    // Refuses an existing target; never replaces it.
    virtual IoResult ShellRename(const std::string& oldPath, const std::string& newPath) = 0;
    virtual bool ShowProperties(const std::string& path) = 0;
};

// Hands files and addresses to the desktop's programs.
class Launcher {
public:
    virtual ~Launcher() = default;

    // Opens a file with its program (the shell's "open" verb).
    virtual bool openDocument(const std::string& path) = 0;
    virtual bool openUrl(const std::string& url) = 0;
    // Shows the file selected in the file manager.
    virtual void showInFileManager(const std::string& path) = 0;
};

// Plays a sound file; a missing file or no audio device is silence.
class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    virtual void play(const std::string& path) = 0;
};

} // namespace twinsift
