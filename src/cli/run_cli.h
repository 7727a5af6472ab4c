#pragma once

#include <istream>
#include <ostream>
#include <string>
#include <vector>

namespace twinsift {

// Exit statuses of twinsift-cli.
namespace exit_status {
inline constexpr int Completed = 0;
inline constexpr int Failed = 1;
inline constexpr int Usage = 2;
inline constexpr int Interrupted = 130;
} // namespace exit_status

// Standard input: the answer to the one question before --delete or --move,
// asked only when it is a terminal.
struct CliInput {
    std::istream* in = nullptr;
    bool isTerminal = false;
};

// The whole terminal front end: `arguments` without the program name; the
// groups (or the JSON document) go to `out`, status lines and messages to
// `err`, and a progress line too when `err` is a terminal. Ctrl-C and SIGTERM
// end the search, or the action on the marked files, as Cancel does. Reads
// and writes no per-user file.
int runCli(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
           bool errIsTerminal = false, CliInput input = {});

} // namespace twinsift
