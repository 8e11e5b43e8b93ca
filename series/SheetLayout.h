// Where the frames of a series go on its contact sheet.
#pragma once

#include <cstdint>
#include <vector>

inline constexpr int kSheetWidth = 1920;
inline constexpr int kSheetMostTiles = 24;

// All frames when there are at most kSheetMostTiles, else that many evenly spaced from the
// first to the last, in increasing order.
std::vector<int32_t> sheetFrames(int64_t savedFrames);

struct SheetLayout {
    int columns = 0;
    int rows = 0;
    int tileWidth = 0;    // colour and depth side by side, each tileWidth / 2 wide
    int tileHeight = 0;
};

// A grid of tileCount tiles kSheetWidth wide, each showing two images of imageWidth x
// imageHeight side by side, with the columns chosen so that the grid comes nearest to 16:9.
SheetLayout sheetLayout(int tileCount, int imageWidth, int imageHeight);
