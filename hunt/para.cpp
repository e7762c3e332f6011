// The para: drifts down from above the view and plays its hit animation once when shot.

#include "display/display.h"
#include "hunt/hunt.h"
#include "hunt/random.h"

Para para;

namespace {

constexpr int32_t PARA_WIDTH = 150;
constexpr int32_t PARA_HEIGHT = 180;
constexpr int32_t SHEET_COLUMNS = 4;
constexpr int32_t START_XS = 1200;
constexpr int32_t LAST_HIT_FRAME_RIGHT = 3;
constexpr int32_t LAST_HIT_FRAME_LEFT = 7;
constexpr int32_t HIT_TICKS = 5;  // tick runs 1 to 4 per picture of the hit animation

// Where the para starts to stick out past the right and bottom of the view.
constexpr int32_t RIGHT_CLIP_X = SCREEN_WIDTH - PARA_WIDTH;
constexpr int32_t BOTTOM_CLIP_Y = SCREEN_HEIGHT - PARA_HEIGHT;

}  // namespace

void Para::Spawn() {
    hit = 0;
    active = 1;
    x = GameRandom() % START_XS;
    y = -PARA_HEIGHT;
    dy = 1;
    dx = 1;
    frame = 0;
    tick = 0;
    direction = GameRandom() % 2;
    if (direction == 1) {
        frame = 4;
        dx = -1;
    }
}

void Para::AnimateAndDraw() {
    // Only sinking out of the world ends it, never drifting out sideways.
    if (y >= SCREEN_HEIGHT) Deactivate();
    if (!active) return;
    const int32_t lastFrame = direction == 0 ? LAST_HIT_FRAME_RIGHT : LAST_HIT_FRAME_LEFT;
    if (tick > 0 && frame < lastFrame) {
        tick++;
        if (tick == HIT_TICKS) {
            frame++;
            tick = 1;
        }
    }
    ComputeFrameRect();
    Clip();
    BltFast(backBuffer, screenX, screenY, assetSurfaces.para, &srcRect,
            DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
}

void Para::ComputeFrameRect() {
    srcRect.left = (frame % SHEET_COLUMNS) * PARA_WIDTH;
    srcRect.right = srcRect.left + PARA_WIDTH;
    srcRect.top = (frame / SHEET_COLUMNS) * PARA_HEIGHT;
    srcRect.bottom = srcRect.top + PARA_HEIGHT;
    frameRect = srcRect;
}

void Para::Clip() {
    // Wholly outside the view the destination stays off the screen or the rectangle comes
    // out empty, and the platform leaves the blit out.
    screenX = x - scrollX;
    screenY = y;
    if (screenX < 0 && screenX > -PARA_WIDTH) {
        srcRect.left += -screenX;
        screenX = 0;
    }
    if (y < 0 && y > -PARA_HEIGHT) {
        srcRect.top += -y;
        screenY = 0;
    }
    if (x - scrollX > RIGHT_CLIP_X) srcRect.right -= x - scrollX - RIGHT_CLIP_X;
    if (y > BOTTOM_CLIP_Y) srcRect.bottom -= y - BOTTOM_CLIP_Y;
}

void Para::Move() {
    x += dx;
    y += dy;
}

void Para::Deactivate() {
    active = 0;
    x = -1;
    y = -1;
    dx = 0;
    dy = 0;
}

void Para::Hit() {
    tick++;
    hit = 1;
}
