#include "cli/cli_options.h"

#include "core/convert.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>
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

std::optional<UsageError> markRule(std::optional<std::string>& rule, const std::string& text) {
    const auto& names = markRuleNames();
    if (std::find(names.begin(), names.end(), text) == names.end())
        return UsageError{"--mark: unknown rule '" + text + "'"};
    rule = text;
    return std::nullopt;
}

std::optional<UsageError> sizeLimit(std::optional<std::string>& limit, const std::string& text) {
    AdvMarkChoices ignored;
    if (!readSizeLimit(text, ignored))
        return UsageError{"--size-limit: '" + text +
                          "' is not a size (N, NKB, NMB, NGB, cd or dvd)"};
    limit = text;
    return std::nullopt;
}

std::optional<UsageError> exportFile(std::optional<std::string>& file, const std::string& text) {
    if (!exportFormatOf(text))
        return UsageError{"--export: '" + text +
                          "' does not end in .xml, .csv, .htm or .html, which choose the format"};
    file = text;
    return std::nullopt;
}

std::optional<UsageError> exportRows(std::optional<ExportRows>& rows, const std::string& text) {
    if (text != "all" && text != "marked")
        return UsageError{"--export-rows: '" + text + "' is neither all nor marked"};
    rows = text == "all" ? ExportRows::All : ExportRows::Marked;
    return std::nullopt;
}

// A name for the usual separators; any other text is the separator itself.
std::optional<UsageError> delimiter(std::optional<DelimiterChoice>& choice,
                                    const std::string& text) {
    static const std::map<std::string, Delimiter> named = {
        {"tab", Delimiter::Tab}, {"comma", Delimiter::Comma}, {"semicolon", Delimiter::Semicolon}};
    if (const auto found = named.find(text); found != named.end()) {
        choice = DelimiterChoice{found->second, {}};
        return std::nullopt;
    }
    if (!separatorFor(Delimiter::Other, text))
        return UsageError{std::string("--delimiter: ") + kUnusableSeparatorMessage};
    choice = DelimiterChoice{Delimiter::Other, text};
    return std::nullopt;
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
        {"--mark", [](CliOptions& o, const std::string& v) { return markRule(o.markRule, v); }},
        {"--mark-mask", store(&CliOptions::markMask)},
        {"--size-limit",
         [](CliOptions& o, const std::string& v) { return sizeLimit(o.sizeLimit, v); }},
        {"--mark-folder", append(&CliOptions::markFolders)},
        {"--move", store(&CliOptions::moveTo)},
        {"--copy", store(&CliOptions::copyTo)},
        {"--error-log", store(&CliOptions::errorLog)},
        {"--load-session", store(&CliOptions::loadSession)},
        {"--save-session", store(&CliOptions::saveSession)},
        {"--export",
         [](CliOptions& o, const std::string& v) { return exportFile(o.exportFile, v); }},
        {"--export-rows",
         [](CliOptions& o, const std::string& v) { return exportRows(o.exportRows, v); }},
        {"--delimiter",
         [](CliOptions& o, const std::string& v) { return delimiter(o.delimiter, v); }},
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
        {"--allow-whole-groups", &CliOptions::allowWholeGroups},
        {"--delete", &CliOptions::deleteMarked},
        {"--permanent", &CliOptions::permanent},
        {"--structure", &CliOptions::structure},
        {"--remove-empty-folders", &CliOptions::removeEmptyFolders},
        {"--dry-run", &CliOptions::dryRun},
        {"--yes", &CliOptions::yes},
        {"--marked-only", &CliOptions::markedOnly},
        {"--rescan", &CliOptions::rescan},
        {"--recheck", &CliOptions::recheck},
    };
    return options;
}

// "-" alone names a folder called "-" only after "--"; here it is no option either way.
bool looksLikeOption(const std::string& argument) {
    return argument.size() > 1 && argument[0] == '-';
}

// The first option of `named` that was given without `needed`.
std::optional<UsageError> needs(std::initializer_list<std::pair<const char*, bool>> named,
                                bool needed, const char* what) {
    for (const auto& [name, given] : named)
        if (given && !needed)
            return UsageError{std::string(name) + " needs " + what};
    return std::nullopt;
}

// A saved list replaces the search, so whatever would shape a search would be
// ignored: refused rather than silently dropped.
std::optional<UsageError> checkSessionLoad(const CliOptions& o) {
    if (!o.loadSession)
        return needs({{"--rescan", o.rescan}, {"--recheck", o.recheck}}, false, "--load-session");
    const std::pair<const char*, bool> searchOptions[] = {
        {"FOLDER arguments", !o.folders.empty()},
        {"--parameters", o.parametersFile.has_value()},
        {"--engine", o.engine.has_value()},
        {"--mask", o.mask.has_value()},
        {"--min-kb", o.minimumKB.has_value()},
        {"--max-kb", o.maximumKB.has_value()},
        {"--from", o.fromDate.has_value()},
        {"--to", o.toDate.has_value()},
        {"--no-subfolders", o.noSubFolders},
        {"--hidden", o.hidden},
        {"--no-protect", o.noProtect},
        {"--exclude-folder", !o.excludedFolders.empty()},
        {"--exclude-ext", !o.excludedExtensions.empty()},
        {"--exclusions", o.exclusionsFile.has_value()},
        {"--threads without --rescan", o.threads > 0 && !o.rescan},
    };
    for (const auto& [name, given] : searchOptions)
        if (given)
            return UsageError{std::string("--load-session replaces the search and cannot be "
                                          "combined with ") +
                              name};
    return std::nullopt;
}

// Options that only mean something beside others, and actions that exclude
// each other, refused before anything is searched.
std::optional<UsageError> checkCombination(const CliOptions& o) {
    const int actions = int{o.deleteMarked} + int{o.moveTo.has_value()} + int{o.copyTo.has_value()};
    if (actions > 1)
        return UsageError{"--delete, --move and --copy exclude each other"};
    const bool keepRule = o.markRule && *o.markRule != markRuleNames().front();
    std::optional<UsageError> error;
    if ((error = needs({{"--delete", o.deleteMarked},
                        {"--move", o.moveTo.has_value()},
                        {"--copy", o.copyTo.has_value()},
                        {"--marked-only", o.markedOnly}},
                       o.marks(), "--mark, --mark-folder or --load-session")) ||
        (error = needs({{"--size-limit", o.sizeLimit.has_value()}}, keepRule,
                       "--mark with a keep-... rule")) ||
        (error =
             needs({{"--mark-mask", o.markMask.has_value()}}, keepRule || !o.markFolders.empty(),
                   "--mark with a keep-... rule or --mark-folder")) ||
        (error = needs({{"--permanent", o.permanent}}, o.deleteMarked, "--delete")) ||
        (error = needs({{"--structure", o.structure}}, o.moveTo || o.copyTo, "--move or --copy")) ||
        (error = needs({{"--allow-whole-groups", o.allowWholeGroups}}, o.marks() && !o.copyTo,
                       "--mark, --mark-folder or --load-session, and no --copy")) ||
        (error = needs({{"--remove-empty-folders", o.removeEmptyFolders}}, o.deletesOrMoves(),
                       "--delete or --move")) ||
        (error = needs(
             {{"--dry-run", o.dryRun}, {"--yes", o.yes}, {"--error-log", o.errorLog.has_value()}},
             o.acts(), "--delete, --move or --copy")) ||
        (error = checkSessionLoad(o)) ||
        (error = needs({{"--export-rows", o.exportRows.has_value()}}, o.exportFile.has_value(),
                       "--export")) ||
        (error = needs({{"--delimiter", o.delimiter.has_value()}},
                       o.exportFile && exportFormatOf(*o.exportFile) == ExportFormat::Delimited,
                       "--export with a .csv file")))
        return error;
    if (o.json && o.null)
        return UsageError{"--null lists paths as text and cannot be combined with --json"};
    if (o.markedOnly && (o.json || o.summary))
        return UsageError{
            "--marked-only lists paths and cannot be combined with --json or --summary"};
    return std::nullopt;
}

} // namespace

const std::vector<std::string>& markRuleNames() {
    static const std::vector<std::string> names = {
        "all-duplicates", "keep-newer",         "keep-older",        "keep-larger",
        "keep-smaller",   "keep-newer-version", "keep-older-version"};
    return names;
}

std::string lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::optional<ExportFormat> exportFormatOf(const std::string& path) {
    const std::string extension = lowered(std::filesystem::path(path).extension().string());
    if (extension == ".xml")
        return ExportFormat::Xml;
    if (extension == ".csv")
        return ExportFormat::Delimited;
    if (extension == ".htm" || extension == ".html")
        return ExportFormat::Html;
    return std::nullopt;
}

bool readSizeLimit(const std::string& text, AdvMarkChoices& choices) {
    const std::string lower = lowered(text);
    if (lower == "cd" || lower == "dvd") {
        choices.limit = lower == "cd" ? AdvMarkChoices::Limit::CD : AdvMarkChoices::Limit::DVD;
        return true;
    }
    std::string unit = "KB";
    std::string number = lower;
    for (const char* suffix : {"kb", "mb", "gb"})
        if (lower.ends_with(suffix)) {
            unit = {static_cast<char>(std::toupper(suffix[0])), 'B'};
            number.resize(lower.size() - 2);
        }
    AdvMarkChoices limited = choices;
    limited.limit = AdvMarkChoices::Limit::Specify;
    limited.limitText = number;
    limited.limitUnit = unit;
    // A limit that comes to 0 bytes ("0.5GB" counts whole GB) would mean none.
    const std::optional<std::int64_t> bytes = sizeLimitBytes(limited);
    if (!bytes || *bytes <= 0)
        return false;
    choices = limited;
    return true;
}

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
    if (auto error = checkCombination(options))
        return *error;
    return options;
}

const char* usageText() {
    return R"usage(Usage: twinsift-cli [options] [--] FOLDER...
  or:  twinsift-cli [options] --load-session FILE

Finds duplicate files below the given folders (one search path per FOLDER),
or takes the result list of a saved session instead.

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
                          (default: one per core; also for --rescan)

Marking (after the search):
  --mark RULE             all-duplicates: mark all but the newest file of each group;
                          keep-newer, keep-older, keep-larger, keep-smaller,
                          keep-newer-version, keep-older-version: mark all but the
                          file the rule keeps
  --mark-mask MASK        mark only files matching MASK, e.g. "*.jpg *.png"
  --size-limit LIMIT      with a keep-... rule: stop marking past N[KB|MB|GB], cd or dvd
  --mark-folder DIR       mark the files in DIR and its sub-folders (repeatable)
  --allow-whole-groups    let the marks take every file of a group; without it one
                          file of each fully marked group is unmarked and stays (for
                          --delete, --move, --marked-only and --json alike)

Actions on the marked files (one of --delete, --move, --copy):
  --delete                move them to the Trash (with --permanent: delete them for good)
  --move DIR, --copy DIR  move or copy them into DIR, renaming on a name collision
  --structure             with --move or --copy: re-create their folders below DIR
  --remove-empty-folders  with --delete or --move: remove the folders they leave empty
  --error-log FILE        write the failures to FILE after the run
  --dry-run               print what would be done, one line per file; touch nothing
  --yes                   do not ask: --delete and --move ask once when standard input
                          is a terminal, and need --yes when it is not

Sessions and exports:
  --load-session FILE     the search paths, result list and marks of a saved session
                          instead of a search (no FOLDER or other search option);
                          the listing, marking and actions then work as after a
                          search, and act on the saved marks without --mark; the
                          excluded folders the file holds are not used
  --rescan                with --load-session: compare the saved files again, byte
                          by byte, and list only the groups still identical
  --recheck               with --load-session: drop the files that are gone or no
                          longer have their saved size and modification time
  --save-session FILE     save the search paths and the result list with its marks
  --export FILE           write the result list as XML (.xml), delimited text
                          (.csv) or an HTML report (.htm, .html)
  --export-rows ROWS      all (default) or marked: the rows --export writes
  --delimiter DELIM       with a .csv --export: tab, comma (default), semicolon or
                          any other TEXT as the separator
  Both are written once the search completed and the marks are set (the marks
  --json shows), before any --delete, --move or --copy, which then runs only
  when they were written.

Output:
  --json                  one JSON document on standard output; each file has "marked"
  --summary               the final status lines on standard output instead of the groups
  --marked-only           only the marked files' paths on standard output, one a line
  --null                  end each path and each group with NUL instead of a line end
  --help, --version

The groups go to standard output in the result list's order, one path a line
and an empty line after each group (with --null: each path and each group end
in NUL); after Ctrl-C, the groups found so far. The final status lines and
messages go to standard error, with control characters escaped, and so does
each folder or file the search had to leave out, with the reason, and each
file an action could not delete, move or copy: error number, description, path.
Exit status: 0 search and action completed, 1 failure (also of one file, of
loading or saving a session or of an export), 2 usage error, 130 interrupted
(the files already acted on stay so).
)usage";
}

} // namespace twinsift
