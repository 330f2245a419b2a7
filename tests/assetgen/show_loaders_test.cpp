// The show's own loaders accept every generated file and read what the generator wrote.
#include <gtest/gtest.h>

#include <memory>

#include "colour_maps.h"
#include "data_files.h"
#include "render/asset_loader.h"

// The curve the show then applies is checked against the generator's for every recipe's curve by
// the colour curve test.
TEST(ShowLoaders, ReadEveryColourMapAsRedGreenBlueTexels) {
    for (const ColourMapRecipe& recipe : ColourMapRecipes()) {
        std::vector<uint32_t> texels(HEIGHT_MAP_BYTES);
        ASSERT_NO_THROW(LoadColourMap((DataDir() / recipe.fileName).string(), texels.data()))
            << recipe.fileName;
        const std::vector<uint8_t> raw = ReadFileBytes(DataDir() / recipe.fileName);
        for (int cell = 0; cell < 65536; ++cell) {
            ASSERT_EQ(texels[cell],
                      static_cast<uint32_t>(raw[cell * 3] << 16 | raw[cell * 3 + 1] << 8 | raw[cell * 3 + 2]))
                << recipe.fileName << " cell " << cell;
        }
    }
}

TEST(ShowLoaders, DecodeEveryPictureAtFullFrameSize) {
    ImageList images;
    for (const std::string& name : PictureNames()) {
        ASSERT_NO_THROW(LoadImageFile(images, (DataDir() / name).string())) << name;
        const Image& image = *images.items.back();
        EXPECT_EQ(image.width, 640) << name;
        EXPECT_EQ(image.height, 480) << name;
        const DecodedPicture decoded = DecodePng(DataDir() / name);
        ASSERT_EQ(decoded.pixels.size(), 640u * 480u);
        for (int i = 0; i < 640 * 480; i += 131) {
            ASSERT_EQ(image.pixels[i] & 0x00FFFFFFu, decoded.pixels[i]) << name << " pixel " << i;
        }
    }
    EXPECT_EQ(images.items.size(), 7u);
}
