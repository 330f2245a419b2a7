#include "generate.h"

#include "asset_files.h"
#include "colour_maps.h"
#include "height_maps.h"
#include "preview.h"
#include "text_pictures.h"

void GenerateImages(const std::filesystem::path& dataDir, const FontFiles& fontFiles) {
    const HeightMap land = MakeLandHeights();
    WriteBytes(dataDir / "heightmap2", land.cells);
    WriteBytes(dataDir / "waterheight", MakeWaterHeights().cells);
    for (const ColourMapRecipe& recipe : ColourMapRecipes()) {
        WriteBytes(dataDir / recipe.fileName, MakeColourMap(land, recipe).rgb);
    }
    FontBook fonts(fontFiles.regular, fontFiles.bold);
    for (const TextPage& page : TextPages()) {
        WritePng(dataDir / page.fileName, RenderTextPage(page, fonts).get());
    }
    WritePng(dataDir / "title.png", RenderTitle(fonts).get());
}

void GeneratePreviews(const std::filesystem::path& previewDir) {
    const HeightMap land = MakeLandHeights();
    const HeightMap water = MakeWaterHeights();
    DescribeHeights("heightmap2", land);
    DescribeHeights("waterheight", water);
    WriteHeightPreview(land, previewDir / "heightmap2.png");
    WriteHeightPreview(water, previewDir / "waterheight.png");
    WriteReliefPreview(land, previewDir / "heightmap2_relief.png");
    for (const ColourMapRecipe& recipe : ColourMapRecipes()) {
        const ColourMap map = MakeColourMap(land, recipe);
        WriteColourPreview(map, recipe.curve, previewDir / (recipe.fileName + ".png"));
        for (int view = 0; view < 3; ++view) {
            const std::string name = recipe.fileName + "_flight" + std::to_string(view) + ".png";
            WriteFlightPreview(land, map, recipe.curve, view * 85, view * 120, previewDir / name);
        }
    }
}
