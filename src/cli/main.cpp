#include "cli/run_cli.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <iostream>

namespace {

bool isOpen(int fd) {
    return ::fcntl(fd, F_GETFD) != -1 || errno != EBADF;
}

} // namespace

int main(int argc, char** argv) {
    // A closed standard output would be taken by the next file the search
    // opens; the user gets the reason instead of an empty, successful run.
    if (!isOpen(STDOUT_FILENO)) {
        std::cerr << "twinsift-cli: cannot write the output: standard output is closed\n";
        return twinsift::exit_status::Failed;
    }
    // Closed input and error streams get /dev/null for the same reason; the
    // lowest free descriptor is the one that is missing.
    for (const int fd : {STDIN_FILENO, STDERR_FILENO})
        if (!isOpen(fd) && ::open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY) != fd)
            return twinsift::exit_status::Failed;
    // A reader that goes away (| head) shows up as a failed write, which ends
    // the output quietly, instead of killing the program.
    std::signal(SIGPIPE, SIG_IGN);
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return twinsift::runCli(arguments, std::cout, std::cerr, ::isatty(STDERR_FILENO) == 1,
                            {&std::cin, ::isatty(STDIN_FILENO) == 1});
}
