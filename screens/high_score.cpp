// The high-score screen: the table's ten rows, their blue pulsing down the screen.
#include <cstdio>

#include "display/display.h"
#include "screens/screens.h"

int32_t highScorePhase;

namespace {

constexpr int32_t PANEL_X = 180;
constexpr int32_t PANEL_Y = 70;
constexpr int32_t NAME_X = 200;
constexpr int32_t SCORE_X = 380;
constexpr int32_t FIRST_ROW_Y = 135;
constexpr int32_t ROW_SPACING = 30;
constexpr int32_t PHASE_STEP = 2;
constexpr int32_t ROW_PHASE_STEP = 7;

}  // namespace

void HighScoresFrame() {
    // Only the low eight bits count; stepping unsigned keeps the wrap defined.
    highScorePhase = static_cast<int32_t>(static_cast<uint32_t>(highScorePhase) + PHASE_STEP);
    BltFast(backBuffer, 0, 0, assetSurfaces.menu, nullptr, DDBLTFAST_WAIT);
    BltFast(backBuffer, PANEL_X, PANEL_Y, assetSurfaces.high, nullptr, DDBLTFAST_WAIT);

    char text[16];
    for (int row = RANKED_SLOTS - 1; row >= 0; row--) {
        const HighScoreEntry& entry = highScoreTable.entries[row];
        int32_t y = FIRST_ROW_Y + ROW_SPACING * row;
        uint32_t level = (ROW_PHASE_STEP * row + static_cast<uint32_t>(highScorePhase)) & 0xFF;
        COLORREF blue = level << 16;
        std::snprintf(text, sizeof text, "%s", reinterpret_cast<const char*>(entry.name));
        DrawGdiText(text, NAME_X, y, blue, backBuffer, textFont);
        std::snprintf(text, sizeof text, "%i", entry.score);
        DrawGdiText(text, SCORE_X, y, blue, backBuffer, textFont);
    }
}
