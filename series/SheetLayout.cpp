// Where the frames of a series go on its contact sheet.
#include "SheetLayout.h"

#include <algorithm>
#include <cmath>
#include <limits>

std::vector<int32_t> sheetFrames(int64_t savedFrames)
{
    std::vector<int32_t> frames;
    const int64_t shown = std::min<int64_t>(savedFrames, kSheetMostTiles);
    for (int64_t i = 0; i < shown; ++i) {
        frames.push_back(static_cast<int32_t>(shown == 1 ? 0 : (i * (savedFrames - 1) + (shown - 1) / 2) / (shown - 1)));
    }
    return frames;
}

SheetLayout sheetLayout(int tileCount, int imageWidth, int imageHeight)
{
    SheetLayout best;
    double bestDistance = std::numeric_limits<double>::infinity();
    for (int columns = 1; columns <= std::max(1, tileCount); ++columns) {
        SheetLayout layout;
        layout.columns = columns;
        layout.rows = std::max(1, (tileCount + columns - 1) / columns);
        // Even, so that both halves are equally wide.
        layout.tileWidth = kSheetWidth / columns / 2 * 2;
        layout.tileHeight = std::max(1, static_cast<int>(std::lround(layout.tileWidth / 2.0 * imageHeight / imageWidth)));
        const double aspect = static_cast<double>(kSheetWidth) / (layout.rows * layout.tileHeight);
        const double distance = std::fabs(std::log(aspect / (16.0 / 9.0)));
        if (distance < bestDistance) {
            bestDistance = distance;
            best = layout;
        }
    }
    return best;
}
