// Runs one of the platform's file operations on every path given, the way a
// run over marked files calls them, so that bench_file_ops.sh can time it
// against the system's own tools.
//
//     file_ops_driver trash|delete FILE...
//     file_ops_driver move|copy FOLDER FILE...
#include "platform/file_ops.h"

#include <cstdio>
#include <string>
#include <string_view>

using namespace twinsift;

namespace {

IoResult act(std::string_view operation, const std::string& folder, const std::string& path) {
    if (operation == "trash")
        return trashFile(path);
    if (operation == "delete")
        return deleteFile(path);
    return (operation == "move" ? moveIntoFolder(path, folder) : copyIntoFolder(path, folder))
        .result;
}

} // namespace

int main(int argc, char** argv) {
    const std::string_view operation = argc > 1 ? argv[1] : "";
    const bool intoFolder = operation == "move" || operation == "copy";
    if (!intoFolder && operation != "trash" && operation != "delete") {
        std::fputs("usage: file_ops_driver trash|delete FILE... | move|copy FOLDER FILE...\n",
                   stderr);
        return 2;
    }
    const std::string folder = intoFolder && argc > 2 ? argv[2] : "";
    int failures = 0;
    for (int i = intoFolder ? 3 : 2; i < argc; ++i) {
        const IoResult result = act(operation, folder, argv[i]);
        if (!result.ok()) {
            std::fprintf(stderr, "%s\n", result.error().message().c_str());
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
