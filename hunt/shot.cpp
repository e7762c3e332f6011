// One shot of the gun: the hit tests in their fixed order, the points, and the popups that
// show them.
#include <cstdio>

#include "display/display.h"
#include "hunt/hunt.h"
#include "platform/sound.h"

ScorePopup popups[POPUP_SLOTS];

namespace {

constexpr int32_t POPUP_FRAMES = 40;
constexpr int32_t POPUP_FADE_STEP = 6;

constexpr int32_t BIG_BIRD_POINTS = 10;
constexpr int32_t SMALL_BIRD_POINTS = 20;
constexpr int32_t PLANE_POINTS = -30;
constexpr int32_t PARA_POINTS = -30;

// The sheet's own pixel under the hot spot; a pixel that cannot be read counts as
// transparent, so the shot misses rather than hitting through a hole.
bool OpaqueAt(Surface* sheet, COLORREF transparent, int32_t px, int32_t py) {
    if (sheet == nullptr) return false;
    DDCOLORKEY key;
    const uint32_t keyValue =
        GetColorKey(sheet, &key) ? key.dwColorSpaceLowValue : ColorToPixel(transparent);
    SurfaceLock lock;
    if (Lock(sheet, &lock) != DD_OK) return false;
    bool opaque = false;
    if (lock.rgbBitCount == 16 && px >= 0 && py >= 0 && px < lock.width && py < lock.height) {
        const auto* row = static_cast<const uint8_t*>(lock.bits) + py * lock.pitch;
        opaque = reinterpret_cast<const uint16_t*>(row)[px] != keyValue;
    }
    Unlock(sheet);
    return opaque;
}

// The three tests of one target, in order, each only when the earlier ones passed.
bool TargetHit(int32_t hx, int32_t hy, int32_t x, int32_t y, int32_t width, int32_t height,
               const RECT& frameRect, Surface* sheet, COLORREF transparent) {
    const RECT box = {x, y, x + width, y + height};
    if (!PtInRect(&box, POINT{hx, hy})) return false;
    return OpaqueAt(sheet, transparent, hx - x + frameRect.left, hy - y + frameRect.top);
}

// A full table means no popup; the points count all the same.
void StartPopup(int32_t points, int32_t x, int32_t y) {
    for (ScorePopup& popup : popups) {
        if (popup.active) continue;
        popup.Start(points);
        popup.x = x;
        popup.y = y;
        return;
    }
}

bool ShootBird(Bird& bird, int32_t hx, int32_t hy, int32_t width, int32_t height, int32_t points,
               int32_t popupDx, int32_t popupDy) {
    if (!bird.active || bird.falling) return false;
    if (!TargetHit(hx, hy, bird.x, bird.y, width, height, bird.frameRect, bird.image,
                   COLOR_BLACK)) {
        return false;
    }
    bird.Hit();
    score += points;
    StartPopup(points, bird.x + popupDx - scrollX, bird.y + popupDy);
    return true;
}

bool ShootPlane(int32_t hx, int32_t hy) {
    if (!plane.active || plane.hit) return false;
    if (!TargetHit(hx, hy, plane.x, plane.y, 220, 60, plane.frameRect, assetSurfaces.plane,
                   COLOR_WHITE)) {
        return false;
    }
    plane.Hit();  // takes the 30 points itself
    StartPopup(PLANE_POINTS, plane.x + 110 - scrollX, plane.y + 100);
    return true;
}

bool ShootPara(int32_t hx, int32_t hy) {
    if (!para.active || para.hit) return false;
    if (!TargetHit(hx, hy, para.x, para.y, 150, 180, para.frameRect, assetSurfaces.para,
                   COLOR_WHITE)) {
        return false;
    }
    para.Hit();
    score += PARA_POINTS;
    StartPopup(PARA_POINTS, para.x + 70 - scrollX, para.y + 140);
    return true;
}

}  // namespace

void FireShot() {
    // Objects have already made this frame's move, while frameRect is still the picture
    // last shown.
    const int32_t hx = cursorPos.x + HOT_SPOT + scrollX;
    const int32_t hy = cursorPos.y + HOT_SPOT;
    bool hitSomething = false;
    for (Bird& bird : bigBirds) {
        if (!hitSomething)
            hitSomething = ShootBird(bird, hx, hy, 100, 120, BIG_BIRD_POINTS, 50, 100);
    }
    for (Bird& bird : smallBirds) {
        if (!hitSomething)
            hitSomething = ShootBird(bird, hx, hy, 50, 60, SMALL_BIRD_POINTS, 25, 70);
    }
    if (!hitSomething) hitSomething = ShootPlane(hx, hy);
    if (!hitSomething) ShootPara(hx, hy);
    shotsLeft--;
    sndPlaySound("data\\shot.wav", SND_ASYNC);
}

void ScorePopup::Start(int32_t points) {
    ttl = POPUP_FRAMES;
    active = 1;
    std::snprintf(text, sizeof text, "%i", points);
}

void ScorePopup::Draw() {
    // Fades from red towards white as the popup ages.
    int32_t a = (POPUP_FRAMES - ttl) * POPUP_FADE_STEP;
    if (a > 255) a = 255;
    const COLORREF color =
        0xFF + static_cast<COLORREF>(a) * 0x100 + static_cast<COLORREF>(a) * 0x10000;
    DrawGdiText(text, x, y, color, backBuffer, textFont);
}

void ScorePopup::Update() {
    y--;
    ttl--;
    if (ttl == 0) active = 0;
}
