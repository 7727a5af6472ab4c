#pragma once

namespace twinsift {

class UserInterface;

// False, after telling the user why, when there is no per-user data folder
// for the files the program writes.
bool userDataFolderUsable(UserInterface& ui);

// The desktop program: "-un" ends at once with status 0; otherwise the main
// window runs until it is closed.
int runDesktop(int argc, char* argv[]);

} // namespace twinsift
