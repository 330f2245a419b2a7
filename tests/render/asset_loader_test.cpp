#include <gtest/gtest.h>

#include <vector>

#include "app/test_files.h"
#include "render/asset_loader.h"

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
    EXPECT_NE(ErrorOf([&] { LoadHeightMap(dir.path, heights.data()); }), "");  // a directory
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

TEST(Picture, MissingCorruptOrOversizedPicturesAreErrors) {
    TempDir dir;
    WriteBytes(dir.File("corrupt.png"), {0x89, 'P', 'N', 'G', 1, 2, 3});
    WritePicture(dir.File("big.png"), 641, 480, 0xFF000000u);
    WritePicture(dir.File("wide.png"), 65536, 1, 0xFF000000u);  // few pixels, too wide for 16 bits
    ImageList list;
    std::string missing = ErrorOf([&] { LoadImageFile(list, dir.File("none.png")); });
    std::string corrupt = ErrorOf([&] { LoadImageFile(list, dir.File("corrupt.png")); });
    std::string big = ErrorOf([&] { LoadImageFile(list, dir.File("big.png")); });
    EXPECT_EQ(missing, dir.File("none.png") + ": No such file or directory");
    EXPECT_EQ(corrupt.rfind(dir.File("corrupt.png") + ": cannot decode picture", 0), 0u) << corrupt;
    EXPECT_EQ(big, dir.File("big.png") + ": picture is 641x480 = 307680 pixels, more than 307200");
    EXPECT_EQ(ErrorOf([&] { LoadImageFile(list, dir.File("wide.png")); }),
              dir.File("wide.png") + ": picture is 65536x1, wider or taller than 65535 pixels");
    EXPECT_TRUE(list.items.empty());
}

}  // namespace
