#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <thread>

#include "app/script_watch.h"
#include "test_files.h"

namespace {

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// The first save the watch reports within ten seconds.
std::optional<ParsedScript> NextSave(ScriptWatch& watch) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        if (std::optional<ParsedScript> save = watch.TakeSave()) {
            return save;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return std::nullopt;
}

const char* const ONE_ROW = "0 196 float wave.phase clock\n";
const char* const TWO_ROWS = "0 196 float wave.phase clock\n0 1 unsigned char layer 3.amount 0 255\n";

TEST(ScriptWatch, SavesInPlaceAndByRenameAreReadAndChecked) {
    TempDir dir;
    const std::string path = dir.File("show.txt");
    WriteText(path, ONE_ROW);
    ScriptWatch watch(path);
    ASSERT_EQ(watch.Failure(), "");
    EXPECT_FALSE(watch.TakeSave().has_value());  // nothing saved yet

    WriteText(path, TWO_ROWS);
    std::optional<ParsedScript> save = NextSave(watch);
    ASSERT_TRUE(save.has_value());
    EXPECT_EQ(save->error, "");
    EXPECT_EQ(save->rows.size(), 2u);

    // An editor's save: a new file beside the old one, renamed over it.
    WriteText(dir.File(".show.txt.swp"), std::string(ONE_ROW) + "0 1 float wave.nothing 1 1\n");
    ASSERT_EQ(std::rename(dir.File(".show.txt.swp").c_str(), path.c_str()), 0);
    save = NextSave(watch);
    ASSERT_TRUE(save.has_value());
    EXPECT_EQ(save->error, path + ":2: unknown field 'wave.nothing'");
    EXPECT_TRUE(save->rows.empty());

    WriteText(path, ONE_ROW);  // the next good save after a bad one is taken
    save = NextSave(watch);
    ASSERT_TRUE(save.has_value());
    EXPECT_EQ(save->error, "");
    EXPECT_EQ(save->rows.size(), 1u);
}

TEST(ScriptWatch, AFolderThatCannotBeWatchedIsNamed) {
    TempDir dir;
    ScriptWatch watch(dir.File("missing/show.txt"));
    EXPECT_EQ(watch.Failure(), dir.File("missing") + ": cannot watch for saves: No such file or directory");
    EXPECT_FALSE(watch.TakeSave().has_value());
}

}  // namespace
