#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <vector>

#include "app/test_files.h"
#include "render/asset_loader.h"
#include "support/fifo.h"
#include "support/png_writer.h"

namespace {

std::string ErrorOf(const std::function<void()>& load) {
    try {
        load();
    } catch (const AssetError& error) {
        return error.what();
    }
    return "";
}

TEST(HeightMap, ReadsBytesInFileOrderAndOnlyAsFarAsNeeded) {
    TempDir dir;
    std::vector<uint8_t> bytes(70000);
    for (size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<uint8_t>(i * 7);
    }
    WriteBytes(dir.File("long"), bytes);
    std::vector<uint8_t> heights(65536 + 1, 0xAA);
    LoadHeightMap(dir.File("long"), heights.data());
    EXPECT_EQ(heights[0], 0);
    EXPECT_EQ(heights[1], 7);
    EXPECT_EQ(heights[65535], static_cast<uint8_t>(65535 * 7));
    EXPECT_EQ(heights[65536], 0xAA);  // nothing written past the map
}

TEST(Maps, ShortOrMissingFileIsAnErrorNamingTheFile) {
    TempDir dir;
    WriteBytes(dir.File("short"), std::vector<uint8_t>(65535, 1));
    std::vector<uint8_t> heights(65536);
    EXPECT_EQ(ErrorOf([&] { LoadHeightMap(dir.File("short"), heights.data()); }),
              dir.File("short") + ": file is 65535 bytes long, expected 65536");
    EXPECT_EQ(ErrorOf([&] { LoadHeightMap(dir.File("none"), heights.data()); }),
              dir.File("none") + ": No such file or directory");
    EXPECT_EQ(ErrorOf([&] { LoadHeightMap(dir.path, heights.data()); }), dir.path + ": Is a directory");
    WriteBytes(dir.File("short"), std::vector<uint8_t>(196607));
    std::vector<uint32_t> texels(65536);
    EXPECT_EQ(ErrorOf([&] { LoadColourMap(dir.File("short"), texels.data()); }),
              dir.File("short") + ": file is 196607 bytes long, expected 196608");
}

TEST(Picture, DecodesToBlueGreenRedAlphaBytes) {
    TempDir dir;
    WritePicture(dir.File("p.png"), 640, 480, 0x80123456u);
    WritePicture(dir.File("small.png"), 3, 2, 0xFF000000u);
    ImageList list;
    LoadImageFile(list, dir.File("p.png"));
    LoadImageFile(list, dir.File("small.png"));
    ASSERT_EQ(list.items.size(), 2u);
    const Image& image = *list.items[0];
    EXPECT_EQ(image.width, 640);
    EXPECT_EQ(image.height, 480);
    const auto* bytes = reinterpret_cast<const uint8_t*>(image.pixels.get());
    EXPECT_EQ(bytes[0], 0x56);  // blue
    EXPECT_EQ(bytes[1], 0x34);  // green
    EXPECT_EQ(bytes[2], 0x12);  // red
    EXPECT_EQ(bytes[3], 0x80);  // alpha
    EXPECT_EQ(image.pixels[307199], 0x80123456u);
    EXPECT_EQ(list.items[1]->width, 3);
    EXPECT_EQ(list.items[1]->pixels[5], 0xFF000000u);
}

// Every failure is one message naming the file and the reason, libpng's own words included,
// and nothing of libpng's on standard error.
TEST(Picture, MissingCorruptOrOversizedPicturesAreErrors) {
    TempDir dir;
    WriteBytes(dir.File("corrupt.png"), {0x89, 'P', 'N', 'G', 1, 2, 3});
    WriteBytes(dir.File("text.png"), std::vector<uint8_t>(100, 'x'));
    WritePicture(dir.File("big.png"), 641, 480, 0xFF000000u);
    WritePicture(dir.File("wide.png"), 65536, 1, 0xFF000000u);  // few pixels, too wide for 16 bits
    WritePicture(dir.File("whole.png"), 64, 64, 0xFF102030u);
    std::vector<uint8_t> bytes(std::filesystem::file_size(dir.File("whole.png")));
    std::FILE* whole = std::fopen(dir.File("whole.png").c_str(), "rb");
    ASSERT_EQ(std::fread(bytes.data(), 1, bytes.size(), whole), bytes.size());
    std::fclose(whole);
    WriteBytes(dir.File("cut.png"), std::vector<uint8_t>(bytes.begin(), bytes.begin() + 60));
    bytes[29] ^= 1;  // the last byte of the header's checksum
    WriteBytes(dir.File("checksum.png"), bytes);
    // A few bytes that declare a picture of 1.6 GB.
    WriteOversizedPng(dir.File("huge.png"), 20000, 20000);
    std::filesystem::create_directory(dir.File("folder.png"));
    const struct {
        std::string file, error;
    } cases[] = {
        {"none.png", "No such file or directory"},
        {"folder.png", "Is a directory"},
        {"corrupt.png", "cannot decode picture: not a PNG file"},
        {"text.png", "cannot decode picture: not a PNG file"},
        {"cut.png", "cannot decode picture: the file is cut short"},
        {"checksum.png", "cannot decode picture: IHDR: CRC error"},
        {"big.png", "picture is 641x480 = 307680 pixels, more than 307200"},
        {"huge.png", "picture is 20000x20000 = 400000000 pixels, more than 307200"},
        {"wide.png", "picture is 65536x1, wider or taller than 65535 pixels"},
    };
    ImageList list;
    for (const auto& failure : cases) {
        testing::internal::CaptureStderr();
        EXPECT_EQ(ErrorOf([&] { LoadImageFile(list, dir.File(failure.file)); }),
                  dir.File(failure.file) + ": " + failure.error);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << failure.file;
    }
    EXPECT_TRUE(list.items.empty());
}

// Decoded on two threads, the pictures still arrive in the order given, and of several bad
// ones the first in that order is the one reported.
TEST(Picture, PicturesDecodedInParallelKeepTheirOrderAndTheFirstFailure) {
    TempDir dir;
    std::vector<std::string> paths;
    for (uint32_t i = 0; i < 9; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "p%u.png", i);
        paths.push_back(dir.File(name));
        WritePicture(paths.back(), 1 + i, 1, 0xFF000000u | i);
    }
    WorkerPool pool(2);
    ImageList list;
    LoadImageFiles(list, paths, &pool);
    ASSERT_EQ(list.items.size(), paths.size());
    for (uint32_t i = 0; i < paths.size(); ++i) {
        EXPECT_EQ(list.items[i]->width, 1 + i);
        EXPECT_EQ(list.items[i]->pixels[0], 0xFF000000u | i);
    }
    WriteBytes(dir.File("corrupt.png"), {0x89, 'P', 'N', 'G', 1, 2, 3});
    paths.insert(paths.begin() + 3, dir.File("corrupt.png"));
    paths.insert(paths.begin() + 6, dir.File("none.png"));
    ImageList failed;
    EXPECT_EQ(ErrorOf([&] { LoadImageFiles(failed, paths, &pool); }).rfind(dir.File("corrupt.png") + ": ", 0),
              0u);
    EXPECT_TRUE(failed.items.empty());
}

// Pictures of every colour type and depth come out as blue, green, red, alpha bytes:
// 16-bit samples rounded to 8 bits, palettes and grey expanded, transparency as alpha.
TEST(Picture, EveryKindOfPngComesOutInTheSameColours) {
    TempDir dir;
    std::vector<uint8_t> interlacedRows;
    std::vector<uint32_t> interlacedPixels;
    for (uint32_t y = 0; y < 3; ++y) {
        for (uint32_t x = 0; x < 5; ++x) {
            interlacedRows.insert(interlacedRows.end(),
                                  {uint8_t(x * 40), uint8_t(y * 80), uint8_t(x + y * 5)});
            interlacedPixels.push_back(0xFF000000u | (x * 40) << 16 | (y * 80) << 8 | (x + y * 5));
        }
    }
    const struct {
        const char* name;
        PngSpec spec;
        std::vector<uint32_t> pixels;
    } cases[] = {
        {"16-bit colour and alpha",
         {2,
          1,
          PNG_COLOR_TYPE_RGB_ALPHA,
          16,
          false,
          {0x12, 0x80, 0xAB, 0x40, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x7F, 0x80, 0x80, 0x00},
          {},
          {}},
         {0xFF12AB00u, 0x80FF007Fu}},
        {"2-bit palette with transparency",
         {3,
          2,
          PNG_COLOR_TYPE_PALETTE,
          2,
          false,
          {0x18, 0xE4},
          {{0x10, 0x20, 0x30}, {0xF0, 0xE0, 0xD0}, {0x00, 0x00, 0xFF}, {0x80, 0x80, 0x80}},
          {0x40, 0xFF, 0x00}},
         {0x40102030u, 0xFFF0E0D0u, 0x000000FFu, 0xFF808080u, 0x000000FFu, 0xFFF0E0D0u}},
        {"grey and alpha",
         {2, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 8, false, {0x40, 0x80, 0xFF, 0x00}, {}, {}},
         {0x80404040u, 0x00FFFFFFu}},
        {"1-bit grey",
         {3, 1, PNG_COLOR_TYPE_GRAY, 1, false, {0xA0}, {}, {}},
         {0xFFFFFFFFu, 0xFF000000u, 0xFFFFFFFFu}},
        {"16-bit grey", {1, 1, PNG_COLOR_TYPE_GRAY, 16, false, {0x12, 0x80}, {}, {}}, {0xFF121212u}},
        {"interlaced colour", {5, 3, PNG_COLOR_TYPE_RGB, 8, true, interlacedRows, {}, {}}, interlacedPixels},
    };
    for (const auto& picture : cases) {
        WritePng(dir.File("p.png"), picture.spec);
        ImageList list;
        LoadImageFile(list, dir.File("p.png"));
        const Image& image = *list.items[0];
        ASSERT_EQ(image.width, picture.spec.width) << picture.name;
        ASSERT_EQ(image.height, picture.spec.height) << picture.name;
        EXPECT_EQ(std::vector<uint32_t>(image.pixels.get(), image.pixels.get() + picture.pixels.size()),
                  picture.pixels)
            << picture.name;
    }
}

// A FIFO (or a device or socket) in place of a data file is refused at once instead of
// waiting for a writer that never comes.
TEST(DataFiles, OnlyRegularFilesAreRead) {
    TempDir dir;
    const std::string fifo = dir.File("fifo");
    MakeFifo(fifo);
    std::vector<uint8_t> heights(65536);
    std::vector<uint32_t> texels(65536);
    ImageList list;
    const std::string expected = fifo + ": is a FIFO, not a regular file";
    EXPECT_EQ(LoadBesideFifo(fifo, [&] { return ErrorOf([&] { LoadHeightMap(fifo, heights.data()); }); }),
              expected);
    EXPECT_EQ(LoadBesideFifo(fifo, [&] { return ErrorOf([&] { LoadColourMap(fifo, texels.data()); }); }),
              expected);
    EXPECT_EQ(LoadBesideFifo(fifo, [&] { return ErrorOf([&] { LoadImageFile(list, fifo); }); }), expected);
    EXPECT_EQ(ErrorOf([&] { LoadHeightMap("/dev/zero", heights.data()); }),
              "/dev/zero: is a device, not a regular file");
}

}  // namespace
