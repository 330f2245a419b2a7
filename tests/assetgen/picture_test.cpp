// The text and title pictures: exact size, light text, and a pure black background, since the show adds
// them over the landscape and any stray light would tint the whole picture.
#include <gtest/gtest.h>

#include <algorithm>

#include "data_files.h"

namespace {

bool IsBright(uint32_t pixel) {
    return std::max({(pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF}) >= 128;
}

// Number of lit pixels farther than `radius` (in x and in y) from every bright pixel: light that belongs to
// no glyph.
int StrayPixels(const DecodedPicture& picture, int radius) {
    // Distance to the nearest bright pixel along each row, then the largest row distance over the window.
    std::vector<int> nearBright(picture.pixels.size(), 0);
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            if (!IsBright(picture.At(x, y))) {
                continue;
            }
            for (int dy = -radius; dy <= radius; ++dy) {
                for (int dx = -radius; dx <= radius; ++dx) {
                    const int nx = x + dx;
                    const int ny = y + dy;
                    if (nx >= 0 && nx < picture.width && ny >= 0 && ny < picture.height) {
                        nearBright[ny * picture.width + nx] = 1;
                    }
                }
            }
        }
    }
    int stray = 0;
    for (size_t i = 0; i < picture.pixels.size(); ++i) {
        stray += picture.pixels[i] != 0 && nearBright[i] == 0 ? 1 : 0;
    }
    return stray;
}

int BrightPixels(const DecodedPicture& picture) {
    return static_cast<int>(std::count_if(picture.pixels.begin(), picture.pixels.end(), IsBright));
}

bool BorderIsBlack(const DecodedPicture& picture, int border) {
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            if (std::min({x, y, picture.width - 1 - x, picture.height - 1 - y}) < border &&
                picture.At(x, y) != 0) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace

TEST(Pictures, TextsAreLightGlyphsOnExactBlack) {
    for (const std::string& name : PictureNames()) {
        const DecodedPicture picture = DecodePng(DataDir() / name);
        ASSERT_EQ(picture.pixels.size(), 640u * 480u) << name;
        // Text pictures carry only anti-aliased fringes; the title's glow reaches farther.
        const int neighbourhood = name == "title.png" ? 26 : 3;
        EXPECT_EQ(StrayPixels(picture, neighbourhood), 0) << name;
        EXPECT_TRUE(BorderIsBlack(picture, 16)) << name << " has text cut by the edge";
        const int bright = BrightPixels(picture);
        EXPECT_GT(bright, 8000) << name << " has too little text to read";
        EXPECT_LT(bright, 640 * 480 / 3) << name << " is mostly light, not text on black";
    }
}

TEST(Pictures, StrayLightCheckCatchesAFaintBackground) {
    DecodedPicture picture = DecodePng(DataDir() / "text1.png");
    ASSERT_EQ(picture.pixels.size(), 640u * 480u);
    picture.pixels[5 * 640 + 5] = 0x010101;  // one barely visible pixel in a corner
    EXPECT_EQ(StrayPixels(picture, 3), 1);
}

TEST(Pictures, PicturesDifferFromOneAnother) {
    std::vector<std::vector<uint8_t>> seen;
    for (const std::string& name : PictureNames()) {
        const std::vector<uint8_t> bytes = ReadFileBytes(DataDir() / name);
        EXPECT_EQ(std::count(seen.begin(), seen.end(), bytes), 0) << name << " repeats an earlier picture";
        seen.push_back(bytes);
    }
}
