#include "core/io_result.h"
#include "core/runtime_error.h"

#include <cerrno>
#include <gtest/gtest.h>

namespace twinsift {
namespace {

TEST(RuntimeErrorTest, mapsOperatingSystemErrorsToRunTimeErrorNumbers) {
    EXPECT_EQ(systemError(ENOENT).number(), 53);
    EXPECT_EQ(systemError(ENOENT, true).number(), 76);
    EXPECT_EQ(systemError(EACCES).number(), 70);
    EXPECT_EQ(systemError(EPERM).number(), 70);
    EXPECT_EQ(systemError(ENOSPC).number(), 61);
    EXPECT_EQ(systemError(EIO).number(), 57);
    EXPECT_EQ(systemError(EBUSY).number(), 75);
    EXPECT_EQ(systemError(EACCES).description(), "Permission denied");
    EXPECT_EQ(runtimeErrorText(457),
              "This key is already associated with an element of this collection");
}

TEST(IoErrorTest, messageNamesOperationPathAndSystemReason) {
    const IoResult failed = IoError{"move", "/a/b.txt", EACCES};
    ASSERT_FALSE(failed.ok());
    EXPECT_EQ(failed.error().message(), "cannot move '/a/b.txt': Permission denied");
}

} // namespace
} // namespace twinsift
