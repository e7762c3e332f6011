// Display set-up: the screen, the flipping surfaces and every picture of the game.
#include "display/display.h"

#include <initializer_list>

#include "screens/screens.h"

DirectDraw* directDraw;
Surface* primarySurface;
Surface* backBuffer;
AssetSurfaces assetSurfaces;

namespace {

const char* failure = "";

struct PictureFile {
    Surface* AssetSurfaces::*surface;
    const char* file;
};

// Load order of the pictures.
constexpr PictureFile kPictures[] = {
    {&AssetSurfaces::side2, "data\\side2.bmp"},   {&AssetSurfaces::side1, "data\\side1.bmp"},
    {&AssetSurfaces::baum, "data\\baum.bmp"},     {&AssetSurfaces::plane, "data\\plane.bmp"},
    {&AssetSurfaces::cursor, "data\\cursor.bmp"}, {&AssetSurfaces::ammo, "data\\ammo.bmp"},
    {&AssetSurfaces::kralo, "data\\kralo.bmp"},   {&AssetSurfaces::kralo2, "data\\kralo2.bmp"},
    {&AssetSurfaces::pelko, "data\\pelko.bmp"},   {&AssetSurfaces::pelko2, "data\\pelko2.bmp"},
    {&AssetSurfaces::para, "data\\para.bmp"},     {&AssetSurfaces::menu, "data\\menu.bmp"},
    {&AssetSurfaces::high, "data\\high.bmp"},     {&AssetSurfaces::font, "data\\font.bmp"},
    {&AssetSurfaces::logo, "data\\logo.bmp"},
};

struct ButtonFile {
    MenuButton* button;
    const char* file;
    int32_t x;
    int32_t y;
};

const ButtonFile kButtons[] = {
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
    failure = what;
    return 0;
}

}  // namespace

const char* InitDisplayFailure() {
    return failure;
}

void ReleaseDisplay() {
    for (const PictureFile& picture : kPictures) {
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
    for (const PictureFile& picture : kPictures) {
        RestorePicture(assetSurfaces.*picture.surface, picture.file);
    }
    for (const ButtonFile& b : kButtons) RestorePicture(b.button->surface, b.file);
}

int InitDisplay(HWND window) {
    failure = "";
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
    for (const PictureFile& picture : kPictures) {
        Surface* surface = LoadBitmapSurface(directDraw, picture.file, 0, 0);
        assetSurfaces.*picture.surface = surface;
        if (!surface) return Fail(picture.file);
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

    for (const ButtonFile& b : kButtons) {
        Surface* surface = LoadBitmapSurface(directDraw, b.file, 0, 0);
        if (!surface) return Fail(b.file);
        SetSurfaceColorKey(surface, COLOR_BLACK);
        b.button->Init(surface, b.x, b.y);
    }

    highScoreTable.Load();
    return 1;
}
