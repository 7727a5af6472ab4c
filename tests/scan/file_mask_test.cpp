#include "scan/file_mask.h"

#include <gtest/gtest.h>

namespace twinsift {
namespace {

TEST(FileMask, presetTextAcceptsItsExtensionsInAnyCase) {
    const FileMask textFiles("Text files  (*.txt *.bak)");
    for (const char* name : {"a.TXT", "b.bak", "archive.tar.Txt"})
        EXPECT_TRUE(textFiles.matches(name)) << name;
    for (const char* name : {"c.txt2", "e.tx", "txt", "a.txt.gz"})
        EXPECT_FALSE(textFiles.matches(name)) << name;
    EXPECT_TRUE(FileMask("Documents(*.doc *.pdf *.rtf *.xls *.ppt)").matches("last.ppt"));
    EXPECT_TRUE(FileMask("Greek (*.ΣΟΦ)").matches("note.σοφ"));
    // Typed masks need no brackets.
    EXPECT_TRUE(FileMask("*.dat").matches("x.dat"));
    EXPECT_FALSE(FileMask("*.dat").matches("x.da"));
    EXPECT_TRUE(FileMask("(*.dat *.txt)").matches("x.txt"));
    EXPECT_TRUE(FileMask("*.jpg;*.png").matches("x.png"));
}

TEST(FileMask, emptyOrStarDotStarAcceptsEveryFile) {
    for (const char* text : {"", "   ", "*.*", "All files(*.*)", "Mixed (*.doc *.*)"}) {
        const FileMask mask(text);
        EXPECT_TRUE(mask.acceptsAll()) << text;
        EXPECT_TRUE(mask.matches("no-dot")) << text;
    }
}

TEST(PatternMask, wildcardsMatchWholeNamesIgnoringCase) {
    const PatternMask mask("IMG_####.jp?;report*.[dp][od][cf];é*");
    for (const char* name : {"img_0042.JPG", "Report 2019 final.pdf", "report.doc", "Été.txt"})
        EXPECT_TRUE(mask.matches(name)) << name;
    for (const char* name : {"img_00a2.jpg", "img_0042.jpeg", "report.txt"})
        EXPECT_FALSE(mask.matches(name)) << name;
    EXPECT_TRUE(PatternMask("?.txt").matches("é.txt")) << "? takes a whole character";
    EXPECT_TRUE(PatternMask("a[b").matches("a[b")) << "an unclosed [ is literal";
    EXPECT_TRUE(PatternMask("").matches("anything"));
}

TEST(ExtensionExclusions, matchWholeExtensionsOnly) {
    const ExtensionExclusions excluded("*.tmp;*.BaK;");
    for (const char* name : {"a.tmp", "A.TMP", "old.bak"})
        EXPECT_TRUE(excluded.excludes(name)) << name;
    for (const char* name : {"a.mp", "a.tmpx", "tmp", "a.tmp.gz"})
        EXPECT_FALSE(excluded.excludes(name)) << name;
    // Entries may be written with or without "*.".
    for (const char* entry : {"tmp;", ".tmp", " *.tmp ; "})
        EXPECT_TRUE(ExtensionExclusions(entry).excludes("a.tmp")) << entry;
    EXPECT_TRUE(ExtensionExclusions(";;").empty());
}

TEST(FolderExclusions, matchWholePathComponentsInAnyCase) {
    const FolderExclusions excluded("/data/Temp;/home/me/Ünï/;");
    for (const char* path : {"/data/Temp", "/data/Temp/", "/DATA/temp/x/y/", "/home/me/üNÏ/a"})
        EXPECT_TRUE(excluded.excludes(path)) << path;
    for (const char* path : {"/data/Temp2", "/data/Tem", "/data/", "/other/data/Temp"})
        EXPECT_FALSE(excluded.excludes(path)) << path;
    EXPECT_TRUE(FolderExclusions("/;").excludes("/any/path"));
    EXPECT_TRUE(FolderExclusions(" ; ;").empty());
}

TEST(SystemFolders, areProtectedByWholeComponents) {
    for (const char* path :
         {"/usr", "/usr/", "/usr/lib/x", "/etc/", "/proc/1/", "/lib64", "/var/tmp/"})
        EXPECT_TRUE(isSystemFolder(path)) << path;
    for (const char* path :
         {"/", "/usr2/", "/home/me/usr/", "/library/", "/binaries", "/tmp/", "usr/"})
        EXPECT_FALSE(isSystemFolder(path)) << path;
}

} // namespace
} // namespace twinsift
