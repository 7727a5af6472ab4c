#include "cli/run_cli.h"

#include <unistd.h>

#include <csignal>
#include <iostream>

int main(int argc, char** argv) {
    // A reader that goes away (| head) shows up as a failed write, which ends
    // the output quietly, instead of killing the program.
    std::signal(SIGPIPE, SIG_IGN);
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return twinsift::runCli(arguments, std::cout, std::cerr, ::isatty(STDERR_FILENO) == 1);
}
