#include "scan/file_mask.h"

#include <gtest/gtest.h>

namespace twinsift {
namespace {

TEST(FileMask, presetTextAcceptsItsExtensionsInAnyCase) {
    const FileMask textFiles("Text files  (*.txt *.bak)");
    EXPECT_TRUE(textFiles.matches("a.TXT"));
    EXPECT_TRUE(textFiles.matches("b.bak"));
    EXPECT_TRUE(textFiles.matches("archive.tar.Txt"));
    EXPECT_FALSE(textFiles.matches("c.txt2"));
    EXPECT_FALSE(textFiles.matches("e.tx"));
    EXPECT_FALSE(textFiles.matches("txt"));
    EXPECT_FALSE(textFiles.matches("a.txt.gz"));
    EXPECT_TRUE(FileMask("Documents(*.doc *.pdf *.rtf *.xls *.ppt)").matches("last.ppt"));
    EXPECT_TRUE(FileMask("Greek (*.ΣΟΦ)").matches("note.σοφ"));
    // Typed masks need no brackets.
    EXPECT_TRUE(FileMask("*.dat").matches("x.dat"));
    EXPECT_FALSE(FileMask("*.dat").matches("x.da"));
    EXPECT_TRUE(FileMask("(*.dat *.txt)").matches("x.txt"));
    EXPECT_TRUE(FileMask("*.jpg;*.png").matches("x.png"));
    EXPECT_TRUE(FileMask("*.jpg;*.png").matches("x.jpg"));
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
    EXPECT_TRUE(mask.matches("img_0042.JPG"));
    EXPECT_FALSE(mask.matches("img_00a2.jpg"));
    EXPECT_FALSE(mask.matches("img_0042.jpeg"));
    EXPECT_TRUE(mask.matches("Report 2019 final.pdf"));
    EXPECT_TRUE(mask.matches("report.doc"));
    EXPECT_FALSE(mask.matches("report.txt"));
    EXPECT_TRUE(mask.matches("Été.txt"));
    EXPECT_TRUE(PatternMask("?.txt").matches("é.txt")) << "? takes a whole character";
    EXPECT_TRUE(PatternMask("a[b").matches("a[b")) << "an unclosed [ is literal";
    EXPECT_TRUE(PatternMask("").matches("anything"));
}

TEST(ExtensionExclusions, matchWholeExtensionsOnly) {
    const ExtensionExclusions excluded("*.tmp;*.BaK;");
    EXPECT_TRUE(excluded.excludes("a.tmp"));
    EXPECT_TRUE(excluded.excludes("A.TMP"));
    EXPECT_TRUE(excluded.excludes("old.bak"));
    EXPECT_FALSE(excluded.excludes("a.mp"));
    EXPECT_FALSE(excluded.excludes("a.tmpx"));
    EXPECT_FALSE(excluded.excludes("tmp"));
    EXPECT_FALSE(excluded.excludes("a.tmp.gz"));
    // Entries may be written with or without "*.".
    EXPECT_TRUE(ExtensionExclusions("tmp;").excludes("a.tmp"));
    EXPECT_TRUE(ExtensionExclusions(".tmp").excludes("a.tmp"));
    EXPECT_TRUE(ExtensionExclusions(" *.tmp ; ").excludes("a.tmp"));
    EXPECT_TRUE(ExtensionExclusions(";;").empty());
}

TEST(FolderExclusions, matchWholePathComponentsInAnyCase) {
    const FolderExclusions excluded("/data/Temp;/home/me/Ünï/;");
    EXPECT_TRUE(excluded.excludes("/data/Temp"));
    EXPECT_TRUE(excluded.excludes("/data/Temp/"));
    EXPECT_TRUE(excluded.excludes("/DATA/temp/x/y/"));
    EXPECT_TRUE(excluded.excludes("/home/me/üNÏ/a"));
    EXPECT_FALSE(excluded.excludes("/data/Temp2"));
    EXPECT_FALSE(excluded.excludes("/data/Tem"));
    EXPECT_FALSE(excluded.excludes("/data/"));
    EXPECT_FALSE(excluded.excludes("/other/data/Temp"));
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
