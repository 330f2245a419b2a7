// The files the build generated: names, sizes, formats, and the same bytes on every run.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "data_files.h"
#include "generate.h"

namespace fs = std::filesystem;

TEST(GeneratedFiles, RawMapsHaveTheirExactSizes) {
    for (const std::string& name : RawMapNames()) {
        const bool isHeightMap = name == "heightmap2" || name == "waterheight";
        const uintmax_t expected = isHeightMap ? 65536u : 196608u;
        ASSERT_TRUE(fs::exists(DataDir() / name)) << name;
        EXPECT_EQ(fs::file_size(DataDir() / name), expected) << name;
    }
}

TEST(GeneratedFiles, PicturesDecodeTo640By480) {
    for (const std::string& name : PictureNames()) {
        const DecodedPicture picture = DecodePng(DataDir() / name);
        EXPECT_EQ(picture.width, 640) << name;
        EXPECT_EQ(picture.height, 480) << name;
    }
}

TEST(GeneratedFiles, TwoRunsWriteTheSameBytesAsTheBuild) {
    const fs::path root = fs::temp_directory_path() / ("imagegen_test_" + std::to_string(::getpid()));
    const fs::path first = root / "first";
    const fs::path second = root / "second";
    fs::create_directories(first);
    fs::create_directories(second);
    GenerateImages(first, {VOXELSHOW_FONT_REGULAR, VOXELSHOW_FONT_BOLD});
    GenerateImages(second, {VOXELSHOW_FONT_REGULAR, VOXELSHOW_FONT_BOLD});
    std::vector<std::string> names = RawMapNames();
    names.insert(names.end(), PictureNames().begin(), PictureNames().end());
    for (const std::string& name : names) {
        const std::vector<uint8_t> bytes = ReadFileBytes(first / name);
        EXPECT_FALSE(bytes.empty()) << name;
        EXPECT_EQ(bytes, ReadFileBytes(second / name)) << name;
        EXPECT_EQ(bytes, ReadFileBytes(DataDir() / name)) << name;
    }
    for (const auto& entry : fs::directory_iterator(first)) {
        EXPECT_NE(entry.path().extension(), ".tmp") << "temporary file left behind: " << entry.path();
    }
    fs::remove_all(root);
}

TEST(GeneratedFiles, UnwritableFolderIsReportedWithTheFileName) {
    const fs::path missing = fs::temp_directory_path() / "imagegen_no_such_folder" / "deeper";
    try {
        GenerateImages(missing, {VOXELSHOW_FONT_REGULAR, VOXELSHOW_FONT_BOLD});
        FAIL() << "writing into a missing folder succeeded";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find("heightmap2"), std::string::npos) << error.what();
    }
}

TEST(GeneratedFiles, MissingFontIsReportedWithItsPath) {
    const fs::path folder = fs::temp_directory_path() / ("imagegen_font_test_" + std::to_string(::getpid()));
    fs::create_directories(folder);
    try {
        GenerateImages(folder, {"/nonexistent/Regular.ttf", "/nonexistent/Bold.ttf"});
        FAIL() << "a missing font went unnoticed";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find("/nonexistent/"), std::string::npos) << error.what();
    }
    fs::remove_all(folder);
}
