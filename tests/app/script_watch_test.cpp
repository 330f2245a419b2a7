#include "app/script_watch.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

#include "test_files.h"

namespace {

// A script of `count` rows.
std::string Rows(size_t count) {
    std::string text = "# a script\n";
    for (size_t i = 0; i < count; ++i) {
        text += "0 1 unsigned char layer 2.amount 0 255\n";
    }
    return text;
}

void Save(const std::string& path, size_t rows) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << Rows(rows);
}

// Takes the watch's saves until one has `rows` rows (an earlier save read again may come first),
// for at most 10 s; whether it came. A save with an error fails the test.
bool SeesSaveOf(ScriptWatch& watch, size_t rows) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        if (const std::optional<ParsedScript> save = watch.TakeSave()) {
            EXPECT_EQ(save->error, "");
            if (save->rows.size() == rows) {
                return true;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
}

// The next save the watch reads, within 10 s.
std::optional<ParsedScript> NextSave(ScriptWatch& watch) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    std::optional<ParsedScript> save;
    while (!(save = watch.TakeSave()) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return save;
}

TEST(ScriptWatch, AFolderThatCannotBeWatchedIsNamed) {
    TempDir dir;
    ScriptWatch watch(dir.File("missing/show.txt"));
    EXPECT_EQ(watch.Failure(), dir.File("missing") + ": cannot watch for saves: No such file or directory");
    EXPECT_FALSE(watch.TakeSave().has_value());
}

// An editor that empties the file and writes it again, a hundred times over, is read once the
// file has stayed unchanged, whole; a file left empty is read as an error.
TEST(ScriptWatch, ASaveIsReadOnceTheFileHasSettled) {
    TempDir dir;
    const std::string file = dir.File("show.txt");
    Save(file, 1);
    ScriptWatch watch(file, 1000);  // long, so that the writes below always come within it
    for (size_t rows = 1; rows <= 100; ++rows) {
        std::ofstream(file, std::ios::binary | std::ios::trunc).close();
        Save(file, rows);
        ASSERT_FALSE(watch.TakeSave().has_value()) << "read while saves were still coming, at " << rows;
    }
    std::optional<ParsedScript> save = NextSave(watch);
    ASSERT_TRUE(save.has_value());
    EXPECT_EQ(save->error, "");
    EXPECT_EQ(save->rows.size(), 100u);

    std::ofstream(file, std::ios::binary | std::ios::trunc).close();
    save = NextSave(watch);
    ASSERT_TRUE(save.has_value());
    EXPECT_EQ(save->error, file + ": the script has no rows");
}

// A script reached through a symbolic link: saves to the file it leads to, through the link and
// by rename are seen, and once the link leads elsewhere, saves there are.
TEST(ScriptWatch, SavesThroughALinkAndToTheFileItLeadsToAreSeen) {
    TempDir dir;
    std::filesystem::create_directories(dir.File("real"));
    std::filesystem::create_directories(dir.File("other"));
    const std::string file = dir.File("real/show.txt"), link = dir.File("show.txt");
    Save(file, 1);
    std::filesystem::create_symlink("real/show.txt", link);
    ScriptWatch watch(link, 200);
    ASSERT_EQ(watch.Failure(), "");

    Save(file, 2);
    EXPECT_TRUE(SeesSaveOf(watch, 2)) << "a save to the file the link leads to";
    Save(link, 3);
    EXPECT_TRUE(SeesSaveOf(watch, 3)) << "a save through the link";
    Save(file + ".new", 4);
    ASSERT_EQ(std::rename((file + ".new").c_str(), file.c_str()), 0);
    EXPECT_TRUE(SeesSaveOf(watch, 4)) << "a save by rename over the file the link leads to";

    Save(dir.File("other/show.txt"), 5);
    std::filesystem::create_symlink("other/show.txt", dir.File("next"));
    ASSERT_EQ(std::rename(dir.File("next").c_str(), link.c_str()), 0);
    EXPECT_TRUE(SeesSaveOf(watch, 5)) << "the link moved to another file";
    Save(dir.File("other/show.txt"), 6);
    EXPECT_TRUE(SeesSaveOf(watch, 6)) << "a save to the link's new file";
}

// A checkout removes the script's folder and makes it again: the script in it is read, and so is
// every later save. A folder that cannot be watched when it comes back is reported once.
TEST(ScriptWatch, AFolderRemovedAndMadeAgainIsWatchedAgain) {
    TempDir dir;
    const std::string folder = dir.File("scripts"), file = dir.File("scripts/show.txt");
    std::filesystem::create_directories(folder);
    Save(file, 1);
    ScriptWatch watch(file, 200);
    for (size_t rows : {2, 3}) {
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        Save(file, rows);
        EXPECT_TRUE(SeesSaveOf(watch, rows)) << "the script in the folder made again";
    }
    Save(file, 4);
    EXPECT_TRUE(SeesSaveOf(watch, 4)) << "a later save";
    EXPECT_EQ(watch.TakeNotice(), "");

    std::filesystem::remove_all(folder);
    std::filesystem::create_directory_symlink("scripts", folder);  // a loop
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    std::string notice;
    while ((notice = watch.TakeNotice()).empty() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    EXPECT_EQ(notice, folder +
                          ": cannot watch for saves: Too many levels of symbolic links; the script is no "
                          "longer reloaded");
}

}  // namespace
