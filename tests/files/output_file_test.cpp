#include "files/output_file.h"
#include "files/output_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "app/test_files.h"

namespace {

// With -y, the file a symbolic link leads to is replaced, keeping its permissions, only once all is
// written; until then, and after a failure, the old file is untouched and nothing is left.
TEST(OutputFile, ReplacesTheTargetWhenWholeAndLeavesItOtherwise) {
    TempDir dir;
    std::ofstream(dir.File("frame")) << "old";
    chmod(dir.File("frame").c_str(), 0640);
    std::filesystem::create_symlink("frame", dir.File("link"));

    OutputFile file;
    ASSERT_EQ(OpenOutputFile(file, dir.File("link")), "");
    file.replace = true;  // as -y asks
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

// The folder is held open from the start of a write: renamed meanwhile, the file is completed in
// it, or removed from it, all the same.
TEST(OutputFile, FollowsItsFolderWhenItIsRenamed) {
    TempDir dir;
    std::filesystem::create_directory(dir.File("a"));
    OutputFile kept;
    OutputFile dropped;
    ASSERT_EQ(OpenOutputFile(kept, dir.File("a/kept.txt")), "");
    ASSERT_EQ(ReserveOutputFile(dropped, dir.File("a/dropped.mkv")), "");
    std::fputs("whole", kept.stream);
    std::filesystem::rename(dir.File("a"), dir.File("b"));
    DiscardOutputFile(dropped);
    ASSERT_EQ(CommitOutputFile(kept), "");
    EXPECT_EQ(FilesIn(dir.File("b")), std::vector<std::string>{"kept.txt"});
    EXPECT_EQ(ReadFileText(dir.File("b/kept.txt")), "whole");
}

// A name as long as the file system allows: the temporary's name is the one shortened, and
// frames written into one folder share it.
TEST(OutputFile, ALongestNameGetsAShortenedTemporary) {
    TempDir dir;
    const std::string longest = std::string(251, 'f') + ".png";
    OutputFile first;
    OutputFile second;
    ASSERT_EQ(ReserveOutputFile(first, dir.File(longest)), "");
    ASSERT_EQ(ReserveOutputFile(second, dir.File("g.png"), &first), "");
    const std::string temporary = std::filesystem::path(first.temporary).filename().string();
    EXPECT_EQ(temporary.size(), 255u);
    EXPECT_EQ(temporary.rfind("." + std::string(242, 'f') + ".part-", 0), 0u) << temporary;
    EXPECT_EQ(second.folder, first.folder);
    const int descriptor = OpenReservedFile(first);
    ASSERT_GE(descriptor, 0);
    ASSERT_EQ(write(descriptor, "png", 3), 3);
    close(descriptor);
    ASSERT_EQ(CommitOutputFile(first), "");
    DiscardOutputFile(second);
    EXPECT_EQ(FilesIn(dir.path), std::vector<std::string>{longest});
    EXPECT_EQ(ReadFileText(dir.File(longest)), "png");
}

// A run of files goes into place whole or not at all: when someone else's file takes one of its
// names meanwhile, that file stays, and neither the frames already in place nor the rest remain.
TEST(OutputFile, ARunOfFilesWithANameTakenLeavesOnlyTheFileThatTookIt) {
    TempDir dir;
    const std::vector<std::string> names{"f0.png", "f1.png", "f2.png"};
    std::vector<OutputFile> files(names.size());
    for (size_t i = 0; i < files.size(); ++i) {
        ASSERT_EQ(ReserveOutputFile(files[i], dir.File(names[i]), i == 0 ? nullptr : &files[i - 1]), "");
    }
    std::ofstream(dir.File("f1.png")) << "precious";
    EXPECT_EQ(CommitOutputFiles(files),
              dir.File("f1.png") + ": appeared while it was being written; the run's files are removed");
    EXPECT_EQ(FilesIn(dir.path), std::vector<std::string>{"f1.png"});
    EXPECT_EQ(ReadFileText(dir.File("f1.png")), "precious");
    EXPECT_TRUE(files.empty());

    // A single file keeps both: the one that took the name, and the finished one beside it.
    OutputFile single;
    ASSERT_EQ(OpenOutputFile(single, dir.File("f1.png")), "");
    std::fputs("new", single.stream);
    std::filesystem::remove(dir.File("f1.png"));
    std::ofstream(dir.File("f1.png")) << "newer";
    const std::string reason = CommitOutputFile(single);
    EXPECT_EQ(reason, "appeared while it was being written; the new file is kept as " + single.kept);
    EXPECT_EQ(ReadFileText(dir.File("f1.png")), "newer");
    EXPECT_EQ(ReadFileText(single.kept), "new");
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
