// The plane: level flight across the top of the world, a dive out of the bottom when shot.

#include "display/display.h"
#include "hunt/hunt.h"
#include "hunt/random.h"

Plane plane;

namespace {

constexpr int32_t PLANE_WIDTH = 220;
constexpr int32_t PLANE_HEIGHT = 60;
constexpr int32_t FLIGHT_Y = 10;
constexpr int32_t SPEED = 2;
constexpr int32_t DIVE_SPEED = 2;
constexpr int32_t HIT_COST = 30;

// Beyond these it is out of play; a plane flying right thus stays in play, unseen, far
// past the world's right end.
constexpr int32_t LEAVE_LEFT_X = -220;
constexpr int32_t LEAVE_RIGHT_X = 1500;
constexpr int32_t LEAVE_BOTTOM_Y = 640;

}  // namespace

void Plane::Spawn() {
    hit = 0;
    active = 1;
    direction = GameRandom() % 2;
    if (direction == 0) {
        srcRect = {0, 0, PLANE_WIDTH, PLANE_HEIGHT};
        x = -PLANE_WIDTH;
        dx = SPEED;
    } else {
        srcRect = {0, PLANE_HEIGHT, PLANE_WIDTH, 2 * PLANE_HEIGHT};
        x = WORLD_WIDTH;
        dx = -SPEED;
    }
    y = FLIGHT_Y;
    dy = 0;
    frameRect = srcRect;
}

void Plane::ClipAndDraw() {
    if (!active) return;
    screenX = x - scrollX;
    if (screenX < 0 && screenX > -PLANE_WIDTH) screenX = 0;
    screenY = y;
    const RECT unclipped = srcRect;
    if (x + PLANE_WIDTH > scrollX + SCREEN_WIDTH) srcRect.right = SCREEN_WIDTH - (x - scrollX);
    if (x < scrollX) srcRect.left = scrollX - x;
    // The bottom cut is kept: it is worked out afresh every frame while the plane sinks.
    if (y > SCREEN_HEIGHT - PLANE_HEIGHT) srcRect.bottom = srcRect.top + (SCREEN_HEIGHT - y);
    BltFast(backBuffer, screenX, screenY, assetSurfaces.plane, &srcRect,
            DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
    srcRect.left = unclipped.left;
    srcRect.right = unclipped.right;
}

void Plane::Move() {
    if (!active) return;
    x += dx;
    y += dy;
    if (x < LEAVE_LEFT_X || x > LEAVE_RIGHT_X) Clear();
    if (active && y > LEAVE_BOTTOM_Y) Clear();
}

void Plane::Clear() {
    active = 0;
    x = 0;
    y = 0;
    dx = 0;
    dy = 0;
}

void Plane::Hit() {
    hit = 1;
    dx = direction == 0 ? SPEED : -SPEED;
    dy = DIVE_SPEED;
    score -= HIT_COST;
}
