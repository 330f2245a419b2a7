#include "files/output_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <filesystem>
#include <fstream>

#include "app/test_files.h"

namespace {

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
    EXPECT_EQ(ReadFileText(dir.File("frame")), "old");
    ASSERT_EQ(CommitOutputFile(file), "");
    EXPECT_EQ(ReadFileText(dir.File("frame")), "new");
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("link")));
    EXPECT_EQ(std::filesystem::status(dir.File("frame")).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                  std::filesystem::perms::group_read);

    ASSERT_EQ(OpenOutputFile(file, dir.File("frame")), "");
    std::fputs("half", file.stream);
    DiscardOutputFile(file);
    EXPECT_EQ(ReadFileText(dir.File("frame")), "new");
    EXPECT_EQ(FilesIn(dir.path), (std::vector<std::string>{"frame", "link"}));
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
    EXPECT_EQ(ReadFileText(dir.File("show.mkv")), "frames");

    ASSERT_EQ(ReserveOutputFile(file, dir.File("next.mkv")), "");
    DiscardOutputFile(file);
    EXPECT_EQ(FilesIn(dir.path), std::vector<std::string>{"show.mkv"});
}

// A device cannot be replaced by a file: a writer that opens it by name writes it in place, and
// it is never removed. (The program's writes to a full device are held by the command line test.)
TEST(OutputFile, ReservesADeviceItself) {
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
}

}  // namespace
