#include "core/file_info.h"

#include "core/pe_image_builder.h"
#include "support/temp_dir.h"

#include <chrono>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace twinsift {
namespace {

using test::buildPeImage;
using test::TempDir;

std::string textOf(const test::PeImage& image) {
    return std::string(image.bytes.begin(), image.bytes.end());
}

TEST(FileInfoTest, readsVersionOfProgramFilesWhateverTheirExtensionsCaseOrSize) {
    TempDir dir;
    const std::string program = textOf(buildPeImage());
    for (const char* name : {"x.exe", "X.EXE", "lib.dll", "control.Ocx", "\xff\xfe name.exe"})
        EXPECT_EQ(VersionText(dir.write(name, program)), "5.1.2600.0") << name;
    const auto big = buildPeImage({.pe32Plus = true, .resourceFileOffset = 8 << 20});
    EXPECT_EQ(VersionText(dir.write("big.dll", textOf(big))), "5.1.2600.0");
}

TEST(FileInfoTest, givesNotAvailableForOtherNamesAndFilesWithoutVersion) {
    TempDir dir;
    const std::string program = textOf(buildPeImage());
    for (const char* name : {"x.txt", "x.exe.bak", "exe", "x.exe "})
        EXPECT_EQ(VersionText(dir.write(name, program)), "N/A") << name;
    EXPECT_EQ(VersionText(dir.write("plain.EXE", textOf(buildPeImage({.resourceType = 24})))),
              "N/A");
    EXPECT_EQ(VersionText(dir.write("script.exe", "#!/bin/sh\necho hi\n")), "N/A");
    EXPECT_EQ(VersionText(dir.write("empty.dll", "")), "N/A");
    EXPECT_EQ(VersionText(dir.path() + "missing.exe"), "N/A");
    EXPECT_EQ(VersionText(dir.mkdir("folder.dll")), "N/A");
    EXPECT_EQ(VersionText(""), "N/A");
}

TEST(FileInfoTest, doesNotWaitOnPipeNamedLikeProgram) {
    TempDir dir;
    const std::string pipe = dir.path() + "pipe.exe";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(VersionText(pipe), "N/A");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST(FileInfoTest, fileExistsOnlyForRegularFiles) {
    TempDir dir;
    const std::string file = dir.write("file.txt", "x");
    EXPECT_TRUE(FileExists(file));
    EXPECT_TRUE(FileExists(dir.write("\xff\xfe odd, name?", "x")));
    EXPECT_FALSE(FileExists(dir.mkdir("folder")));
    EXPECT_FALSE(FileExists(dir.path() + "folder"));
    const std::string link = dir.path() + "link";
    ASSERT_EQ(::symlink(file.c_str(), link.c_str()), 0);
    EXPECT_FALSE(FileExists(link));
    EXPECT_FALSE(FileExists(dir.path() + "missing"));
    EXPECT_FALSE(FileExists(file + "/below"));
    EXPECT_FALSE(FileExists(""));
}

TEST(FileInfoTest, extensionIsTextAfterLastDot) {
    EXPECT_EQ(ExtensionOf("archive.tar.gz"), "gz");
    EXPECT_EQ(ExtensionOf("README"), "");
    EXPECT_EQ(ExtensionOf("name."), "");
    EXPECT_EQ(ExtensionOf(".bashrc"), "bashrc");
    EXPECT_EQ(ExtensionOf("Photo.JPG"), "JPG");
}

} // namespace
} // namespace twinsift
