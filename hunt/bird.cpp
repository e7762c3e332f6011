// The six birds: where they enter, how they flap, fall and leave the world.

#include "display/display.h"
#include "hunt/hunt.h"
#include "hunt/random.h"

Bird smallBirds[2];
Bird bigBirds[4];

namespace {

constexpr int16_t BIG = 0;
constexpr int32_t SHEET_COLUMNS = 6;
constexpr int32_t LAST_FLIGHT_FRAME = 11;
constexpr int32_t FIRST_FALL_FRAME = 12;
constexpr int32_t LAST_FALL_FRAME = 17;
constexpr int32_t TICKS_PER_FRAME = 4;
constexpr int32_t START_HEIGHTS = 400;

constexpr int32_t LEFT_ENTRY_X = -100;
constexpr int32_t SMALL_RESPAWN_X = -50;
constexpr int32_t RIGHT_ENTRY_X = 1280;

int32_t FrameWidth(int16_t size) {
    return size == BIG ? 100 : 50;
}
int32_t FrameHeight(int16_t size) {
    return size == BIG ? 120 : 60;
}
int32_t Speed(int16_t size) {
    return size == BIG ? 3 : 1;
}

// Remainders above 2 become climbs; small birds draw mod 3 and so never climb.
int32_t DrawVerticalSpeed(int16_t size) {
    const int32_t dy = GameRandom() % (size == BIG ? 5 : 3);
    return dy > 2 ? 2 - dy : dy;
}

Surface* Sheet(int16_t size, int32_t direction) {
    if (size == BIG) return direction == 0 ? assetSurfaces.kralo : assetSurfaces.kralo2;
    return direction == 0 ? assetSurfaces.pelko : assetSurfaces.pelko2;
}

// A game's first birds: random direction, height and vertical speed, in that order.
void StartFresh(Bird& bird, int16_t size) {
    bird.size = size;
    bird.Prepare();
    bird.direction = GameRandom() % 2;
    if (bird.direction == 1) bird.frame = LAST_FLIGHT_FRAME;
    bird.x = bird.direction == 0 ? LEFT_ENTRY_X : RIGHT_ENTRY_X;
    bird.y = GameRandom() % START_HEIGHTS;
    bird.dx = bird.direction == 0 ? Speed(size) : -Speed(size);
    bird.dy = DrawVerticalSpeed(size);
    bird.image = Sheet(size, bird.direction);
}

// Frame steps by one every fourth game frame.
bool TickOver(Bird& bird) {
    bird.tick++;
    if (bird.tick < TICKS_PER_FRAME) return false;
    bird.tick = 0;
    return true;
}

}  // namespace

void SpawnInitialBirds() {
    for (Bird& bird : bigBirds) StartFresh(bird, BIG);
    for (Bird& bird : smallBirds) StartFresh(bird, 1);
}

void Bird::Prepare() {
    tick = 0;
    frame = 0;
    falling = 0;
    active = 1;
}

void Bird::Respawn() {
    tick = 0;
    falling = 0;
    active = 1;
    direction = GameRandom() % 2;
    y = GameRandom() % START_HEIGHTS;
    frame = direction * LAST_FLIGHT_FRAME;
    if (direction == 0) {
        // Unlike at a game's start, a small bird comes back closer to the edge.
        x = size == BIG ? LEFT_ENTRY_X : SMALL_RESPAWN_X;
        dx = Speed(size);
    } else {
        x = RIGHT_ENTRY_X;
        dx = -Speed(size);
    }
    dy = DrawVerticalSpeed(size);
    image = Sheet(size, direction);
}

void Bird::ComputeFrameRect() {
    // A gone bird keeps last frame's clipped rectangle; it respawns outside the view, where
    // that rectangle comes out empty.
    if (active) {
        const int32_t w = FrameWidth(size);
        const int32_t h = FrameHeight(size);
        srcRect.left = (frame % SHEET_COLUMNS) * w;
        srcRect.right = srcRect.left + w;
        srcRect.top = (frame / SHEET_COLUMNS) * h;
        srcRect.bottom = srcRect.top + h;
    }
    frameRect = srcRect;
}

void Bird::ClipAndDraw() {
    if (!active) Respawn();
    const int32_t w = FrameWidth(size);
    const int32_t h = FrameHeight(size);
    screenX = x - scrollX;
    screenY = y;
    if (x + w > scrollX + SCREEN_WIDTH) srcRect.right -= screenX - (SCREEN_WIDTH - w);
    if (x < scrollX) {
        srcRect.left += scrollX - x;
        screenX = 0;
    }
    if (y < 0) {
        srcRect.top += -y;
        screenY = 0;
    }
    if (y > SCREEN_HEIGHT - h) srcRect.bottom -= y - (SCREEN_HEIGHT - h);
    BltFast(backBuffer, screenX, screenY, image, &srcRect, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
}

void Bird::Advance() {
    if (active) {
        if (x < -110 || x > 1300 || y < -130 || y > 500) Deactivate();
        // A bird deactivated just now is not falling either, so it still takes this step
        // with all its values at 0.
        if (!falling) {
            if (TickOver(*this)) {
                if (direction == 0) {
                    frame++;
                    if (frame > LAST_FLIGHT_FRAME) frame = 0;
                } else {
                    // Flying left, the cycle never shows picture 0: kept as the game always
                    // played.
                    frame--;
                    if (frame == 0) frame = LAST_FLIGHT_FRAME;
                }
            }
            x += dx;
            y += dy;
        }
    }
    if (falling) {
        if (TickOver(*this)) {
            if (direction == 0) {
                if (frame < LAST_FALL_FRAME) frame++;
            } else {
                if (frame > FIRST_FALL_FRAME) frame--;
            }
        }
        x += dx;
        y += dy;
    }
}

void Bird::Deactivate() {
    active = 0;
    tick = 0;
    x = 0;
    y = 0;
    frame = 0;
    dx = 0;
    dy = 0;
    falling = 0;
}

void Bird::Hit() {
    falling = 1;
    dx = 0;
    dy = size == BIG ? 2 : 1;
    frame = direction == 0 ? FIRST_FALL_FRAME : LAST_FALL_FRAME;
}
