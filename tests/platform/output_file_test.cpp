#include "platform/output_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "app/test_files.h"

namespace {

std::string Content(const std::string& path) {
    std::stringstream text;
    text << std::ifstream(path).rdbuf();
    return text.str();
}

std::set<std::string> Names(const std::string& dir) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

// The file a symbolic link leads to is replaced, keeping its permissions, only once all is
// written; until then, and after a failure, the old file is untouched and nothing is left.
TEST(OutputFile, ReplacesTheTargetWhenWholeAndLeavesItOtherwise) {
    TempDir dir;
    std::ofstream(dir.File("frame")) << "old";
    chmod(dir.File("frame").c_str(), 0640);
    std::filesystem::create_symlink("frame", dir.File("link"));

    OutputFile file;
    ASSERT_EQ(OpenOutputFile(file, dir.File("link")), "");
    EXPECT_EQ(std::filesystem::path(file.temporary).parent_path(), dir.path);
    std::fputs("new", file.stream);
    EXPECT_EQ(Content(dir.File("frame")), "old");
    ASSERT_EQ(CommitOutputFile(file), "");
    EXPECT_EQ(Content(dir.File("frame")), "new");
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("link")));
    EXPECT_EQ(std::filesystem::status(dir.File("frame")).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                  std::filesystem::perms::group_read);

    ASSERT_EQ(OpenOutputFile(file, dir.File("frame")), "");
    std::fputs("half", file.stream);
    DiscardOutputFile(file);
    EXPECT_EQ(Content(dir.File("frame")), "new");
    EXPECT_EQ(Names(dir.path), (std::set<std::string>{"frame", "link"}));
    EXPECT_EQ(OpenOutputFile(file, dir.File("none/frame")),
              "cannot write in " + dir.File("none") + ": No such file or directory");
    EXPECT_EQ(OpenOutputFile(file, dir.path), "is a directory");
}

// A writer that opens the file by name gets a hidden file beside the target, with the
// permissions a new file gets, and nothing is left of it once it is discarded.
TEST(OutputFile, ReservesAHiddenFileForAWriterThatOpensItByName) {
    TempDir dir;
    OutputFile file;
    const mode_t mask = umask(022);
    ASSERT_EQ(ReserveOutputFile(file, dir.File("show.mkv")), "");
    umask(mask);
    EXPECT_EQ(std::filesystem::path(file.temporary).filename().string().rfind(".show.mkv.part-", 0), 0u)
        << file.temporary;
    EXPECT_EQ(std::filesystem::status(file.temporary).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                  std::filesystem::perms::group_read | std::filesystem::perms::others_read);
    std::ofstream(file.temporary) << "frames";
    ASSERT_EQ(CommitOutputFile(file), "");
    EXPECT_EQ(Content(dir.File("show.mkv")), "frames");

    ASSERT_EQ(ReserveOutputFile(file, dir.File("next.mkv")), "");
    DiscardOutputFile(file);
    EXPECT_EQ(Names(dir.path), std::set<std::string>{"show.mkv"});
}

// A device cannot be replaced by a file: it is written in place and never removed. The device
// is a copy of /dev/full made for the test, so that a fault that removes it takes only the copy.
TEST(OutputFile, WritesADeviceInPlace) {
    TempDir dir;
    const std::string full = dir.File("full");
    if (mknod(full.c_str(), S_IFCHR | 0666, makedev(1, 7)) != 0) {
        GTEST_SKIP() << "making a device node needs root";
    }
    OutputFile file;
    ASSERT_EQ(ReserveOutputFile(file, full), "");
    EXPECT_EQ(file.temporary, full);
    DiscardOutputFile(file);
    EXPECT_TRUE(std::filesystem::is_character_file(full));
    ASSERT_EQ(OpenOutputFile(file, full), "");
    std::fputs("more than fits", file.stream);
    EXPECT_EQ(CommitOutputFile(file), "cannot write: No space left on device");
    EXPECT_TRUE(std::filesystem::is_character_file(full));
    EXPECT_EQ(Names(dir.path), std::set<std::string>{"full"});
}

}  // namespace
