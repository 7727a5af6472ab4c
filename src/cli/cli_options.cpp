#include "cli/cli_options.h"

#include <charconv>
#include <functional>
#include <map>

namespace twinsift {
namespace {

using Setter = std::function<std::optional<UsageError>(CliOptions&, const std::string&)>;

// More threads than this cannot read faster, only crowd out the rest of the machine.
constexpr int kMostThreads = 1024;

std::optional<UsageError> threadCount(int& count, const std::string& text) {
    const char* end = text.data() + text.size();
    int parsed = 0;
    const auto [stop, error] = std::from_chars(text.data(), end, parsed);
    const bool tooMany = error == std::errc::result_out_of_range && !text.starts_with('-');
    if (stop != end || (error != std::errc() && !tooMany) || (!tooMany && parsed < 1))
        return UsageError{"--threads: '" + text + "' is not a positive integer"};
    if (tooMany || parsed > kMostThreads)
        return UsageError{"--threads: '" + text + "' is more than " + std::to_string(kMostThreads)};
    count = parsed;
    return std::nullopt;
}

std::optional<UsageError> engineName(std::optional<std::string>& engine, const std::string& text) {
    for (const char* name : {"byte", "fuzzy", "crc", "name", "zero"})
        if (text == name) {
            engine = text;
            return std::nullopt;
        }
    return UsageError{"--engine: unknown engine '" + text + "' (byte, fuzzy, crc, name or zero)"};
}

template <class Member> Setter store(Member member) {
    return [member](CliOptions& o, const std::string& value) -> std::optional<UsageError> {
        std::invoke(member, o) = value;
        return std::nullopt;
    };
}

template <class Member> Setter append(Member member) {
    return [member](CliOptions& o, const std::string& value) -> std::optional<UsageError> {
        std::invoke(member, o).push_back(value);
        return std::nullopt;
    };
}

const std::map<std::string, Setter>& optionsWithValue() {
    static const std::map<std::string, Setter> options = {
        {"--engine", [](CliOptions& o, const std::string& v) { return engineName(o.engine, v); }},
        {"--mask", store(&CliOptions::mask)},
        {"--min-kb", store(&CliOptions::minimumKB)},
        {"--max-kb", store(&CliOptions::maximumKB)},
        {"--from", store(&CliOptions::fromDate)},
        {"--to", store(&CliOptions::toDate)},
        {"--exclude-folder", append(&CliOptions::excludedFolders)},
        {"--exclude-ext", append(&CliOptions::excludedExtensions)},
        {"--exclusions", store(&CliOptions::exclusionsFile)},
        {"--parameters", store(&CliOptions::parametersFile)},
        {"--threads",
         [](CliOptions& o, const std::string& v) { return threadCount(o.threads, v); }},
    };
    return options;
}

const std::map<std::string, bool CliOptions::*>& switches() {
    static const std::map<std::string, bool CliOptions::*> options = {
        {"--no-subfolders", &CliOptions::noSubFolders},
        {"--hidden", &CliOptions::hidden},
        {"--no-protect", &CliOptions::noProtect},
        {"--json", &CliOptions::json},
        {"--summary", &CliOptions::summary},
        {"--null", &CliOptions::null},
        {"--help", &CliOptions::help},
        {"--version", &CliOptions::version},
    };
    return options;
}

// "-" alone names a folder called "-" only after "--"; here it is no option either way.
bool looksLikeOption(const std::string& argument) {
    return argument.size() > 1 && argument[0] == '-';
}

} // namespace

std::variant<CliOptions, UsageError> parseCliOptions(const std::vector<std::string>& arguments) {
    CliOptions options;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || !looksLikeOption(argument)) {
            options.folders.push_back(argument);
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        const std::size_t equals = argument.find('=');
        const std::string name = argument.substr(0, equals);
        if (const auto flag = switches().find(name); flag != switches().end()) {
            if (equals != std::string::npos)
                return UsageError{name + " takes no value"};
            options.*(flag->second) = true;
            continue;
        }
        const auto option = optionsWithValue().find(name);
        if (option == optionsWithValue().end())
            return UsageError{"unknown option '" + name + "'"};
        std::string value;
        if (equals != std::string::npos)
            value = argument.substr(equals + 1);
        else if (i + 1 < arguments.size())
            value = arguments[++i];
        else
            return UsageError{name + " needs a value"};
        if (auto error = option->second(options, value))
            return *error;
    }
    if (options.json && options.null)
        return UsageError{"--null lists paths as text and cannot be combined with --json"};
    return options;
}

const char* usageText() {
    return R"usage(usage: twinsift-cli [options] [--] FOLDER...

Finds duplicate files below the given folders (one search path per FOLDER).

Search:
  --engine ENGINE         byte (default), fuzzy, crc, name or zero
  --mask TEXT             file mask for each FOLDER, e.g. "Images (*.jpg *.png)" or "*.txt"
  --min-kb N, --max-kb N  size bounds in KB for each FOLDER
  --from DATE, --to DATE  modification date bounds for each FOLDER, mm/dd/yyyy
  --no-subfolders         search each FOLDER only, not the folders below it
  --hidden                include hidden files and folders (names beginning with ".")
  --no-protect            also search the operating system's folders
  --exclude-folder PATH   leave out a folder and everything below it (repeatable)
  --exclude-ext EXT       leave out files with this extension: tmp, .tmp or *.tmp (repeatable)
  --exclusions FILE       add the checked entries of an exclusion list file
  --parameters FILE       search paths, engine and switches of a session or parameters
                          file; FOLDER arguments are added after its paths
  --threads N             worker threads for reading files, at most 1024
                          (default: one per core)

Output:
  --json                  one JSON document on standard output
  --summary               the final status lines on standard output instead of the groups
  --null                  end each path and each group with NUL instead of a line end
  --help, --version

The groups go to standard output in the result list's order, one path a line
and an empty line after each group (with --null: each path and each group end
in NUL); after Ctrl-C, the groups found so far. The final status lines and
messages go to standard error, with control characters escaped, and so does
each folder or file the search had to leave out, with the reason.
Exit status: 0 search completed, 1 failure, 2 usage error, 130 interrupted.
)usage";
}

} // namespace twinsift
