// Writes the HTML report of a small list of hostile file names to the path
// given, through the export's own writer, for a browser to render.
#include "cli/terminal_user_interface.h"
#include "persist/export_html.h"

#include <cstdio>
#include <iostream>

int main(int argc, char** argv) {
    using namespace twinsift;
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s REPORT.htm\n", argv[0]);
        return 2;
    }
    struct Listed {
        const char* name;
        const char* folder;
        std::int32_t group;
    };
    const Listed listed[] = {{"<img src=x onerror=alert(1)>.txt", "/data/a&b/", 1},
                             {"Tom & Jerry.txt", "/data/a&b/", 1},
                             {"caf\xE9.txt", "/data/\xFF/", 2}};
    WindowModel model;
    for (const Listed& file : listed) {
        RowFacts facts;
        facts.size = 1234;
        facts.group = file.group;
        model.rows.push_back(
            makeResultRow(file.name, file.folder, "N/A", "2024-01-02 03:04", facts));
    }
    model.statusPanels[PanelFiles].text = "Files : 3";
    model.statusPanels[PanelDuplicates].text = "Duplicate Files: 3  Size: 3.62 KB";
    TerminalUserInterface ui(std::cerr);
    return ExportHtml(model, {argv[1], ExportRows::All, {}}, ui) ? 0 : 1;
}
