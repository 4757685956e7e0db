// Saving through the file helper writes the file a name resolves to and keeps what the replaced
// file had: a 0600 file, a link to a file in another folder, a dangling link, a loop of links.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/save_file.h"
#include "tests/support/test_support.h"

namespace {

std::vector<uint8_t> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

int Save(const std::string& path, const std::string& text) {
    TSaveFile file = {};
    if (TSaveFile_Open(&file, path.c_str()) != 0) return -1;
    TSaveFile_Write(&file, text.data(), text.size());
    return TSaveFile_Commit(&file);
}

bool IsLink(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

TEST(SaveFile, WritesThroughLinksAndKeepsTheReplacedFilesMode) {
    const std::string dir = TestTempDir(), other = dir + "/other";
    ASSERT_EQ(mkdir(other.c_str(), 0755), 0);

    WriteWholeFile(dir + "/private.bmp", Bytes("old"));
    ASSERT_EQ(chmod((dir + "/private.bmp").c_str(), 0600), 0);
    ASSERT_EQ(Save(dir + "/private.bmp", "new"), 0);
    struct stat st;
    ASSERT_EQ(stat((dir + "/private.bmp").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    EXPECT_EQ(ReadWholeFile(dir + "/private.bmp"), Bytes("new"));

    WriteWholeFile(other + "/real.bmp", Bytes("old"));
    ASSERT_EQ(symlink("other/real.bmp", (dir + "/link.bmp").c_str()), 0);
    ASSERT_EQ(Save(dir + "/link.bmp", "linked"), 0);
    EXPECT_TRUE(IsLink(dir + "/link.bmp"));
    EXPECT_EQ(ReadWholeFile(other + "/real.bmp"), Bytes("linked"));

    ASSERT_EQ(symlink((other + "/new.bmp").c_str(), (dir + "/dangling.bmp").c_str()), 0);
    ASSERT_EQ(Save(dir + "/dangling.bmp", "created"), 0);
    EXPECT_TRUE(IsLink(dir + "/dangling.bmp"));
    EXPECT_EQ(ReadWholeFile(other + "/new.bmp"), Bytes("created"));

    ASSERT_EQ(symlink("b.bmp", (dir + "/a.bmp").c_str()), 0);
    ASSERT_EQ(symlink("a.bmp", (dir + "/b.bmp").c_str()), 0);
    EXPECT_EQ(Save(dir + "/a.bmp", "never"), -1);
    EXPECT_EQ(errno, ELOOP);
    EXPECT_TRUE(IsLink(dir + "/a.bmp") && IsLink(dir + "/b.bmp"));
    EXPECT_EQ(ListFolder(dir).size(), 6u) << "no temporary file is left behind";
}

} // namespace
