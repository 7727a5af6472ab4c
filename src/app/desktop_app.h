#pragma once

namespace twinsift {

// The desktop program: "-un" ends at once with status 0; otherwise the main
// window runs until it is closed.
int runDesktop(int argc, char* argv[]);

} // namespace twinsift
