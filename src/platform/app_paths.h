#pragma once

#include <string>

namespace twinsift {

// The per-user data folder for files the program writes ("default.tsf",
// "exclusion.lst", "report.htm"): $XDG_DATA_HOME/Twinsift/, by default
// ~/.local/share/Twinsift/. Created (mode 0700 for new levels) when missing.
// Ends in "/". Throws RuntimeError 76, saying what to set, when neither
// variable holds an absolute path: there is no shared fallback.
std::string userDataFolder();

// The folder of the running executable, ending in "/".
std::string executableFolder();

// The shipped resources: <exe dir>/../share/twinsift/, the same layout in the
// build tree and once installed. Ends in "/".
std::string resourceFolder();

// A shipped file ("bugreport.brpt", "end.wav", "help/index.html"): the user's
// own copy in the data folder wins over the shipped one. Empty when neither
// exists.
std::string findResource(const std::string& relativePath);

} // namespace twinsift
