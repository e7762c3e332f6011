// Display set-up: the screen, the flipping surfaces and every picture of the game.
#include "display/display.h"

#include <cstdio>
#include <initializer_list>
#include <string>

#include "platform/files.h"
#include "screens/screens.h"

DirectDraw* directDraw;
Surface* primarySurface;
Surface* backBuffer;
AssetSurfaces assetSurfaces;

namespace {

char failure[512] = "";

struct PictureFile {
    Surface* AssetSurfaces::*surface;
    const char* file;
    // The least size the drawing takes from the picture; 0 where it draws the whole picture.
    int32_t minWidth;
    int32_t minHeight;
};

// Load order of the pictures.
constexpr PictureFile PICTURES[] = {
    {&AssetSurfaces::side2, "data\\side2.bmp", 640, 480},
    {&AssetSurfaces::side1, "data\\side1.bmp", 640, 480},
    {&AssetSurfaces::baum, "data\\baum.bmp", 344, 402},
    {&AssetSurfaces::plane, "data\\plane.bmp", 220, 120},
    {&AssetSurfaces::cursor, "data\\cursor.bmp", 0, 0},
    {&AssetSurfaces::ammo, "data\\ammo.bmp", 0, 0},
    {&AssetSurfaces::kralo, "data\\kralo.bmp", 600, 360},
    {&AssetSurfaces::kralo2, "data\\kralo2.bmp", 600, 360},
    {&AssetSurfaces::pelko, "data\\pelko.bmp", 300, 180},
    {&AssetSurfaces::pelko2, "data\\pelko2.bmp", 300, 180},
    {&AssetSurfaces::para, "data\\para.bmp", 600, 360},
    {&AssetSurfaces::menu, "data\\menu.bmp", 640, 480},
    {&AssetSurfaces::high, "data\\high.bmp", 0, 0},
    {&AssetSurfaces::font, "data\\font.bmp", 0, 0},
    {&AssetSurfaces::logo, "data\\logo.bmp", 0, 0},
};

// Fifteen cells of 225 x 53, two to a row.
constexpr int32_t BUTTON_SHEET_WIDTH = 450;
constexpr int32_t BUTTON_SHEET_HEIGHT = 424;

struct ButtonFile {
    MenuButton* button;
    const char* file;
    int32_t x;
    int32_t y;
};

const ButtonFile BUTTONS[] = {
    {&newGameButton, "data\\newgame.bmp", 210, 90},
    {&quitButton, "data\\beenden.bmp", 210, 180},
    {&creditsButton, "data\\credits.bmp", 210, 270},
    {&highScoreButton, "data\\highscore.bmp", 210, 360},
};

// Gives a lost surface its memory back and draws its picture into it again; the colour
// key stays with the surface.
void RestorePicture(Surface* surface, const char* file) {
    if (!surface || Restore(surface) != DD_OK) return;
    Bitmap* bitmap = LoadBitmapFile(file);
    CopyBitmapToSurface(surface, bitmap, 0, 0, 0, 0);
    DeleteBitmap(bitmap);
}

int Fail(const char* what) {
    std::snprintf(failure, sizeof failure, "cannot set up the display: %s", what);
    return 0;
}

// A picture the drawing would read past the edge of shows stale pixels around it, so it is
// refused like a damaged one.
Surface* LoadPicture(const char* file, int32_t minWidth, int32_t minHeight) {
    std::string problem;
    Surface* surface = LoadBitmapSurface(directDraw, file, 0, 0, &problem);
    if (surface && (SurfaceWidth(surface) < minWidth || SurfaceHeight(surface) < minHeight)) {
        problem = std::to_string(SurfaceWidth(surface)) + " x " +
                  std::to_string(SurfaceHeight(surface)) + " pixels, smaller than the " +
                  std::to_string(minWidth) + " x " + std::to_string(minHeight) + " the game needs";
        ReleaseSurface(surface);
        surface = nullptr;
    }
    if (!surface) {
        std::snprintf(failure, sizeof failure, "cannot use the picture %s: %s",
                      HostPath(file).c_str(), problem.c_str());
    }
    return surface;
}

}  // namespace

const char* InitDisplayFailure() {
    return failure;
}

void ReleaseDisplay() {
    for (const PictureFile& picture : PICTURES) {
        ReleaseSurface(assetSurfaces.*picture.surface);
        assetSurfaces.*picture.surface = nullptr;
    }
    for (MenuButton* button : {&newGameButton, &quitButton, &creditsButton, &highScoreButton}) {
        ReleaseSurface(button->surface);
        button->surface = nullptr;
    }
    backBuffer = nullptr;
    primarySurface = nullptr;
    directDraw = nullptr;
}

// The flipping chain comes back with the primary; each picture is read from its file again,
// so the next frame shows the game where it left off.
void RestoreDisplay() {
    Restore(primarySurface);
    for (const PictureFile& picture : PICTURES) {
        RestorePicture(assetSurfaces.*picture.surface, picture.file);
    }
    for (const ButtonFile& b : BUTTONS) RestorePicture(b.button->surface, b.file);
}

int InitDisplay(HWND window) {
    failure[0] = 0;
    if (DirectDrawCreate(&directDraw) != DD_OK) return Fail("no display driver");
    if (SetCooperativeLevel(
            directDraw, window,
            DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT | DDSCL_EXCLUSIVE | DDSCL_ALLOWMODEX) != DD_OK) {
        return Fail("the screen cannot be taken");
    }
    if (SetDisplayMode(directDraw, 640, 480, 16) != DD_OK) {
        return Fail("the display mode 640 x 480 x 16 cannot be set");
    }
    if (CreatePrimarySurface(
            directDraw,
            DDSCAPS_COMPLEX | DDSCAPS_FLIP | DDSCAPS_PRIMARYSURFACE | DDSCAPS_VIDEOMEMORY, 1,
            &primarySurface) != DD_OK) {
        return Fail("the primary surface cannot be created");
    }
    if (GetAttachedSurface(primarySurface, DDSCAPS_BACKBUFFER | DDSCAPS_VIDEOMEMORY, &backBuffer) !=
        DD_OK) {
        return Fail("the back buffer cannot be created");
    }

    // Every drawing step expects all its pictures, so a missing one stops the game here
    // with its name rather than leaving holes in every frame.
    for (const PictureFile& picture : PICTURES) {
        Surface* surface = LoadPicture(picture.file, picture.minWidth, picture.minHeight);
        assetSurfaces.*picture.surface = surface;
        if (!surface) return 0;
    }

    SetSurfaceColorKey(assetSurfaces.font, COLOR_BLACK);
    SetSurfaceColorKey(assetSurfaces.para, COLOR_WHITE);
    SetSurfaceColorKey(assetSurfaces.baum, COLOR_WHITE);
    SetSurfaceColorKey(assetSurfaces.plane, COLOR_WHITE);
    SetSurfaceColorKey(assetSurfaces.pelko, COLOR_BLACK);
    SetSurfaceColorKey(assetSurfaces.pelko2, COLOR_BLACK);
    SetSurfaceColorKey(assetSurfaces.cursor, COLOR_BLACK);
    SetSurfaceColorKey(assetSurfaces.ammo, COLOR_BLACK);
    SetSurfaceColorKey(assetSurfaces.kralo, COLOR_BLACK);
    SetSurfaceColorKey(assetSurfaces.kralo2, COLOR_BLACK);

    ShowCursor(false);

    for (const ButtonFile& b : BUTTONS) {
        Surface* surface = LoadPicture(b.file, BUTTON_SHEET_WIDTH, BUTTON_SHEET_HEIGHT);
        if (!surface) return 0;
        SetSurfaceColorKey(surface, COLOR_BLACK);
        b.button->Init(surface, b.x, b.y);
    }

    highScoreTable.Load();
    return 1;
}
