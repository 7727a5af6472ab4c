#include "cli/run_cli.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <iostream>
#include <streambuf>

namespace {

bool isOpen(int fd) {
    return ::fcntl(fd, F_GETFD) != -1 || errno != EBADF;
}

// Standard input for the one question before an action. std::cin retries a
// read that Ctrl-C interrupts, so the user could not stop at the prompt; here
// the interrupt ends the input.
class InterruptibleInput : public std::streambuf {
protected:
    int_type underflow() override {
        const ssize_t got = ::read(STDIN_FILENO, m_buffer.data(), m_buffer.size());
        if (got <= 0)
            return traits_type::eof();
        setg(m_buffer.data(), m_buffer.data(), m_buffer.data() + got);
        return traits_type::to_int_type(m_buffer[0]);
    }

private:
    std::array<char, 256> m_buffer{};
};

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
    InterruptibleInput input;
    std::istream in(&input);
    return twinsift::runCli(arguments, std::cout, std::cerr, ::isatty(STDERR_FILENO) == 1,
                            {&in, ::isatty(STDIN_FILENO) == 1});
}
