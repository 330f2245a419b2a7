#include "app/output_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "test_files.h"

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
    ASSERT_EQ(CloseOutputFile(file), "");
    EXPECT_EQ(Content(dir.File("frame")), "new");
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("link")));
    EXPECT_EQ(std::filesystem::status(dir.File("frame")).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                  std::filesystem::perms::group_read);

    ASSERT_EQ(OpenOutputFile(file, dir.File("frame")), "");
    std::fputs("half", file.stream);
    AbandonOutputFile(file);
    EXPECT_EQ(Content(dir.File("frame")), "new");
    EXPECT_EQ(Names(dir.path), (std::set<std::string>{"frame", "link"}));
    EXPECT_EQ(OpenOutputFile(file, dir.File("none/frame")), "No such file or directory");
}

// A device cannot be replaced by a file: it is written in place and never removed.
TEST(OutputFile, WritesADeviceInPlace) {
    EXPECT_EQ(TemporaryNameFor("/dev/null"), "/dev/null");
    OutputFile file;
    ASSERT_EQ(OpenOutputFile(file, "/dev/full"), "");
    std::fputs("more than fits", file.stream);
    EXPECT_EQ(CloseOutputFile(file), "cannot write: No space left on device");
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"));
}

}  // namespace
