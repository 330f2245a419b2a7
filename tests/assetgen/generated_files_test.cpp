// The files the build generated: the same bytes on every run, and failures reported. (The show
// reads them as written: its pinned frame hashes are drawn from them.)
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "../support/temp_path.h"
#include "data_files.h"
#include "generate.h"

namespace fs = std::filesystem;

TEST(GeneratedFiles, TwoRunsWriteTheSameBytesAsTheBuild) {
    const fs::path root = TempPath("imagegen_test");
    const fs::path first = root / "first";
    const fs::path second = root / "second";
    fs::create_directories(first);
    fs::create_directories(second);
    GenerateImages(first, {VOXELSHOW_FONT_REGULAR, VOXELSHOW_FONT_BOLD});
    GenerateImages(second, {VOXELSHOW_FONT_REGULAR, VOXELSHOW_FONT_BOLD});
    int files = 0;  // two height maps, six colour maps and seven pictures
    for (const auto& entry : fs::directory_iterator(first)) {
        const fs::path name = entry.path().filename();
        const std::vector<uint8_t> bytes = ReadFileBytes(entry.path());
        EXPECT_FALSE(bytes.empty()) << name;
        EXPECT_EQ(bytes, ReadFileBytes(second / name)) << name;
        EXPECT_EQ(bytes, ReadFileBytes(DataDir() / name)) << name;
        EXPECT_NE(entry.path().extension(), ".tmp") << "temporary file left behind: " << name;
        ++files;
    }
    EXPECT_EQ(files, 15);
}

// A folder that cannot be written is reported with the file, a missing font with its path.
TEST(GeneratedFiles, FailuresNameWhatCouldNotBeUsed) {
    using testing::HasSubstr, testing::ThrowsMessage;
    const fs::path folder = TempPath("imagegen_font_test");
    fs::create_directories(folder);
    EXPECT_THAT(
        [] {
            GenerateImages("/nonexistent/deeper", {VOXELSHOW_FONT_REGULAR, VOXELSHOW_FONT_BOLD});
        },
        ThrowsMessage<std::runtime_error>(HasSubstr("heightmap2")));
    EXPECT_THAT(
        [&] {
            GenerateImages(folder, {"/nonexistent/Regular.ttf", "/nonexistent/Bold.ttf"});
        },
        ThrowsMessage<std::runtime_error>(HasSubstr("/nonexistent/")));
}
