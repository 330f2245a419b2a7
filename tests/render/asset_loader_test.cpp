#include <SDL2/SDL.h>
#include <SDL2/SDL_image.h>
#include <gtest/gtest.h>

#include <cstdio>
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

// A 2 x 2 picture in `format` whose pixels are given as 0xAARRGGBB; with a palette, the
// four colours are its entries 0 to 3.
void WriteSmallPicture(const std::string& path, uint32_t format, const uint32_t (&argb)[4]) {
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, 2, 2, SDL_BITSPERPIXEL(format), format);
    ASSERT_NE(surface, nullptr) << SDL_GetError();
    for (int i = 0; i < 4; ++i) {
        const SDL_Color colour{static_cast<uint8_t>(argb[i] >> 16), static_cast<uint8_t>(argb[i] >> 8),
                               static_cast<uint8_t>(argb[i]), static_cast<uint8_t>(argb[i] >> 24)};
        if (surface->format->palette != nullptr) {
            SDL_SetPaletteColors(surface->format->palette, &colour, i, 1);
        }
        const uint32_t value = surface->format->palette != nullptr
                                   ? static_cast<uint32_t>(i)
                                   : SDL_MapRGBA(surface->format, colour.r, colour.g, colour.b, colour.a);
        SDL_Rect pixel{i % 2, i / 2, 1, 1};
        SDL_FillRect(surface, &pixel, value);
    }
    ASSERT_EQ(IMG_SavePNG(surface, path.c_str()), 0) << IMG_GetError();
    SDL_FreeSurface(surface);
}

// Pictures without alpha come out opaque, and a palette's colours are looked up.
TEST(Picture, EveryStoredFormatGivesTheSamePixels) {
    TempDir dir;
    const uint32_t colours[4] = {0xFF102030u, 0xFFFFFFFFu, 0xFF000000u, 0xFF0A0B0Cu};
    WriteSmallPicture(dir.File("rgb.png"), SDL_PIXELFORMAT_RGB24, colours);
    WriteSmallPicture(dir.File("palette.png"), SDL_PIXELFORMAT_INDEX8, colours);
    ImageList list;
    LoadImageFiles(list, {dir.File("rgb.png"), dir.File("palette.png")}, nullptr);
    ASSERT_EQ(list.items.size(), 2u);
    for (const auto& image : list.items) {
        EXPECT_EQ(std::vector<uint32_t>(image->pixels.get(), image->pixels.get() + 4),
                  std::vector<uint32_t>(std::begin(colours), std::end(colours)));
    }
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

}  // namespace
