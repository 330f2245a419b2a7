#pragma once
#include <filesystem>
#include <string>

// Where the generator finds the free fonts the pictures are set in.
struct FontFiles {
    std::string regular;
    std::string bold;
};

// Writes every map and picture of the show into `dataDir`: heightmap2, waterheight, the six colour maps,
// text1.png to text6.png and title.png. The output depends on nothing but the code and the fonts.
// Throws std::runtime_error naming the file and the reason on failure.
void GenerateImages(const std::filesystem::path& dataDir, const FontFiles& fonts);

// Writes developer views of the maps into `previewDir` (height maps, colour maps before and after their
// curve, rough flight views); not part of the show's data.
void GeneratePreviews(const std::filesystem::path& previewDir);
