// An input of the whole-game fuzzer runs 30 frames or so from the start of the program. Three
// costs made up nearly all of its time: decoding the 19 pictures (8 MB of bitmap files) at
// every start and after every loss of the surfaces, painting the back buffer and the screen,
// 600 KB each, several times a frame, and reading the music file for its length. So each
// picture is decoded once a run and outlives the game that loaded it, the music is read once,
// and the back buffer and screen are checked, not painted: nothing the game decides reads
// them (a shot reads the pictures, which are painted as ever). Texts, which the credits and
// the score table draw again every frame, are drawn once for each place and state.
#include "tests/fuzz/game_stand_ins.h"

#include <strings.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "display/display.h"
#include "hunt/hunt.h"
#include "platform/bitmap.h"
#include "platform/common/sequencer.h"
#include "platform/common/surface_internal.h"

namespace {

struct Picture {
    const char* given;  // the name as the game passed it
    std::string file;
    Surface* surface;
    std::vector<uint16_t> pixels;  // as its file makes them
    bool changed;                  // its pixels are no longer those
    bool wipePending;              // lost, and not yet wiped (see Unwiped)
    // Where single pixels were set, while nothing else changed: the matching of a colour
    // key sets one and puts it back at every load.
    int32_t pixelsSet[4];
    int32_t pixelsSetCount;
};
// Kept for the whole process, so that nothing kept counts as a leak at its end.
std::vector<Picture>& pictures = *new std::vector<Picture>;
struct DecodedFile {
    const char* given;
    std::string file;
    Bitmap* bitmap;
};
std::vector<DecodedFile>& decoded = *new std::vector<DecodedFile>;

// The kept entry for a file. The game names its files by the same constants every time, so
// their addresses are tried first: the sanitizers hand every unequal memcmp to the fuzzer.
template <typename Entry>
Entry* Kept(std::vector<Entry>& entries, const char* name) {
    for (Entry& e : entries) {
        if (e.given == name) return &e;
    }
    for (Entry& e : entries) {
        if (e.file == name) return &e;
    }
    return nullptr;
}
// Screens and back buffers released, for the next input's to reuse: new memory of their size
// costs the kernel's clearing of its pages.
std::vector<Surface*>& spareScreens = *new std::vector<Surface*>;

constexpr uint16_t LOST_PIXEL = 0xF81F;

Picture* KeptPicture(const Surface* surface) {
    // Most drawing goes to these two, which are never pictures.
    if (surface == backBuffer || surface == primarySurface) return nullptr;
    Picture* p = pictures.data();
    for (size_t i = 0, n = pictures.size(); i < n; ++i) {
        if (p[i].surface == surface) return p + i;
    }
    return nullptr;
}

[[noreturn]] void OutOfBounds() {
    std::fprintf(stderr, "fuzz_game: a blit reaches outside its surfaces\n");
    std::abort();
}

void RestorePixels(Picture& p) {
    if (p.changed) {
        std::memcpy(p.surface->pixels, p.pixels.data(), p.pixels.size() * sizeof p.pixels[0]);
    } else {
        for (int32_t i = 0; i < p.pixelsSetCount; ++i) {
            p.surface->pixels[p.pixelsSet[i]] = p.pixels[static_cast<size_t>(p.pixelsSet[i])];
        }
    }
    p.changed = p.wipePending = false;
    p.pixelsSetCount = 0;
}

}  // namespace

void RepairPictures() {
    for (Picture& p : pictures) {
        p.surface->lost = false;
        p.surface->locked = false;
        RestorePixels(p);
    }
}

// The names the linker gives the wrapped functions (-Wl,--wrap in CMakeLists.txt).
// clang-format off
#define LOAD_FILE _Z14LoadBitmapFilePKcPNSt7__cxx1112basic_stringIcSt11char_traitsIcESaIcEEE
#define DELETE_BITMAP _Z12DeleteBitmapP6Bitmap
#define LOAD_PICTURE _Z17LoadBitmapSurfaceP10DirectDrawPKciiPNSt7__cxx1112basic_stringIcSt11char_traitsIcESaIcEEE
#define COPY_PICTURE _Z19CopyBitmapToSurfaceP7SurfaceP6Bitmapiiii
#define CREATE_SURFACE _Z22CreateOffscreenSurfaceii
#define RELEASE_SURFACE _Z14ReleaseSurfaceP7Surface
#define COPY_PIXELS _Z10CopyPixelsP7SurfacellPKS_RK4RECTb
#define FILL_PIXELS _Z10FillPixelsP7Surfacet
#define LOCK _Z4LockP7SurfaceP11SurfaceLock
#define GET_PIXEL _Z15SurfaceGetPixelP7Surfaceii
#define SET_PIXEL _Z15SurfaceSetPixelP7Surfaceiij
#define CHECK_MUSIC _Z18CheckSequencerOpenjPK14MCI_OPEN_PARMSPj
#define DRAW_TEXT _ZN10BitmapFont14DrawBitmapTextEiiPKci
#define DRAW_GDI_TEXT _Z11DrawGdiTextPKciijP7SurfaceP4Font
// clang-format on
#define JOIN(a, b) a##b
#define REAL(name) JOIN(__real_, name)
#define WRAP(name) JOIN(__wrap_, name)

extern "C" {
Bitmap* REAL(LOAD_FILE)(const char*, std::string*);
void REAL(DELETE_BITMAP)(Bitmap*);
Surface* REAL(LOAD_PICTURE)(DirectDraw*, const char*, int32_t, int32_t, std::string*);
HRESULT REAL(COPY_PICTURE)(Surface*, Bitmap*, int32_t, int32_t, int32_t, int32_t);
Surface* REAL(CREATE_SURFACE)(int32_t, int32_t);
void REAL(RELEASE_SURFACE)(Surface*);
void REAL(COPY_PIXELS)(Surface*, int64_t, int64_t, const Surface*, const RECT&, bool);
void REAL(FILL_PIXELS)(Surface*, uint16_t);
HRESULT REAL(LOCK)(Surface*, SurfaceLock*);
COLORREF REAL(GET_PIXEL)(Surface*, int32_t, int32_t);
COLORREF REAL(SET_PIXEL)(Surface*, int32_t, int32_t, COLORREF);
MCIERROR REAL(CHECK_MUSIC)(uint32_t, const MCI_OPEN_PARMS*, uint32_t*);
void REAL(DRAW_TEXT)(BitmapFont*, int32_t, int32_t, const char*, int32_t);
void REAL(DRAW_GDI_TEXT)(const char*, int32_t, int32_t, COLORREF, Surface*, HFONT);
}

namespace {

// The loss of the surfaces wipes a picture only when the game next reads or writes its
// pixels: most are drawn again whole from their file before that, which makes the wipe moot.
Picture* Unwiped(const Surface* surface) {
    Picture* p = KeptPicture(surface);
    if (p && p->wipePending && !surface->lost) {
        REAL(FILL_PIXELS)(p->surface, LOST_PIXEL);
        p->wipePending = false;
        p->changed = true;
    }
    return p;
}

uint16_t Touch(const Surface* surface, int64_t x, int64_t y) {
    return *static_cast<volatile const uint16_t*>(surface->pixels + y * surface->width + x);
}

// The corners of a rectangle read and written again: AddressSanitizer catches a step outside
// the surface there as it would in the painting of every pixel.
void TouchCorners(Surface* surface, int64_t x, int64_t y, int64_t w, int64_t h) {
    auto* first = static_cast<volatile uint16_t*>(surface->pixels + y * surface->width + x);
    auto* last =
        static_cast<volatile uint16_t*>(surface->pixels + (y + h - 1) * surface->width + x + w - 1);
    *first = *first;
    *last = *last;
}

// What decides a blit or a device context's answer besides the rectangles: whether there is
// a surface, and whether it is lost, locked or keyed.
uint32_t StateOf(const Surface* s) {
    return s ? 1u | s->lost << 1 | s->locked << 2 | s->hasColorKey << 3 : 0u;
}

// Whether this text was drawn before at that place and in that colour, by the bitmap font
// (kind 1) or the GDI one (kind 2), onto surfaces in the same state; a text seen first is
// remembered. Three quarters full, or for a text too long to remember, the answer is no.
bool DrawnBefore(int32_t kind, int32_t x, int32_t y, COLORREF color, uint32_t surfaces,
                 const char* text, int32_t length) {
    struct Drawn {
        uint32_t hash;  // tested first: the sanitizers hand every unequal memcmp to the fuzzer
        int32_t kind, x, y, length;
        COLORREF color;
        uint32_t surfaces;
        char text[40];
    };
    constexpr uint32_t SLOTS = 2048;
    static Drawn* drawn = new Drawn[SLOTS]();
    static uint32_t used;
    if (length <= 0 || length > 40) return false;
    uint32_t hash = 2166136261u;
    auto mix = [&hash](uint32_t word) { hash = (hash ^ word) * 16777619u; };
    mix(static_cast<uint32_t>(kind)), mix(static_cast<uint32_t>(x)), mix(static_cast<uint32_t>(y));
    mix(color), mix(surfaces);
    for (int32_t i = 0; i < length; ++i) mix(static_cast<uint8_t>(text[i]));
    Drawn key{hash, kind, x, y, length, color, surfaces, {}};
    std::memcpy(key.text, text, static_cast<size_t>(length));
    for (uint32_t slot = hash % SLOTS;; slot = (slot + 1) % SLOTS) {
        if (drawn[slot].kind == 0) {
            if (used < SLOTS * 3 / 4) drawn[slot] = key, ++used;
            return false;
        }
        if (drawn[slot].hash == hash && std::memcmp(&drawn[slot], &key, sizeof key) == 0) {
            return true;
        }
    }
}

}  // namespace

extern "C" {

// A lost surface's picture is read again from its file: from the decoded one kept.
Bitmap* WRAP(LOAD_FILE)(const char* name, std::string* problem) {
    if (DecodedFile* f = Kept(decoded, name)) return f->bitmap;
    Bitmap* bitmap = REAL(LOAD_FILE)(name, problem);
    if (bitmap) decoded.push_back({name, name, bitmap});
    return bitmap;
}

void WRAP(DELETE_BITMAP)(Bitmap* bitmap) {
    for (const DecodedFile& f : decoded) {
        if (f.bitmap == bitmap) return;
    }
    REAL(DELETE_BITMAP)(bitmap);
}

Surface* WRAP(LOAD_PICTURE)(DirectDraw* dd, const char* name, int32_t width, int32_t height,
                            std::string* problem) {
    if (Picture* p = Kept(pictures, name)) return p->surface;
    Surface* surface = REAL(LOAD_PICTURE)(dd, name, width, height, problem);
    if (surface) {
        std::vector<uint16_t> pixels(surface->pixels,
                                     surface->pixels + size_t(surface->width) * surface->height);
        pictures.push_back({name, name, surface, std::move(pixels), false, false, {}, 0});
    }
    return surface;
}

// A restored picture drawn again whole from its own file: the pixels its first load made.
HRESULT WRAP(COPY_PICTURE)(Surface* surface, Bitmap* bitmap, int32_t x, int32_t y, int32_t width,
                           int32_t height) {
    Picture* p = KeptPicture(surface);
    bool whole = x == 0 && y == 0 && width == 0 && height == 0;
    if (p && whole && !surface->lost && !surface->locked) {
        for (const DecodedFile& f : decoded) {
            if (f.bitmap != bitmap || f.file != p->file) continue;
            RestorePixels(*p);
            return DD_OK;
        }
    }
    if (Unwiped(surface)) p->changed = true;
    return REAL(COPY_PICTURE)(surface, bitmap, x, y, width, height);
}

Surface* WRAP(CREATE_SURFACE)(int32_t width, int32_t height) {
    for (size_t i = 0; i < spareScreens.size(); ++i) {
        Surface* spare = spareScreens[i];
        if (spare->width != width || spare->height != height) continue;
        spareScreens.erase(spareScreens.begin() + static_cast<std::ptrdiff_t>(i));
        // Still among the surfaces alive, which is harmless: its pixels are never read.
        uint16_t* pixels = spare->pixels;
        *spare = Surface{};
        spare->width = width, spare->height = height, spare->pixels = pixels;
        return spare;
    }
    return REAL(CREATE_SURFACE)(width, height);
}

void WRAP(RELEASE_SURFACE)(Surface* surface) {
    if (!surface || KeptPicture(surface)) return;
    if (surface->width == SCREEN_WIDTH && surface->height == SCREEN_HEIGHT &&
        spareScreens.size() < 2) {
        spareScreens.push_back(surface);
        return;
    }
    REAL(RELEASE_SURFACE)(surface);
}

void WRAP(COPY_PIXELS)(Surface* dst, int64_t x, int64_t y, const Surface* src, const RECT& r,
                       bool keyed) {
    if (Picture* p = Unwiped(dst)) {
        Unwiped(src);
        p->changed = true;
        return REAL(COPY_PIXELS)(dst, x, y, src, r, keyed);
    }
    int64_t w = int64_t{r.right} - r.left, h = int64_t{r.bottom} - r.top;
    if (r.left < 0 || r.top < 0 || r.right > src->width || r.bottom > src->height || w <= 0 ||
        h <= 0 || x < 0 || y < 0 || x + w > dst->width || y + h > dst->height) {
        OutOfBounds();
    }
    Touch(src, r.left, r.top);
    Touch(src, r.right - 1, r.bottom - 1);
    TouchCorners(dst, x, y, w, h);
}

void WRAP(FILL_PIXELS)(Surface* surface, uint16_t value) {
    if (Picture* p = KeptPicture(surface)) {
        if (surface->lost && value == LOST_PIXEL) {
            p->wipePending = true;
            return;
        }
        p->wipePending = false;
        p->changed = true;
        return REAL(FILL_PIXELS)(surface, value);
    }
    TouchCorners(surface, 0, 0, surface->width, surface->height);
}

// A shot locks a picture to read it; the only writing through a lock is the copying of a
// picture from its file, which marks it changed itself.
HRESULT WRAP(LOCK)(Surface* surface, SurfaceLock* lock) {
    Unwiped(surface);
    return REAL(LOCK)(surface, lock);
}

COLORREF WRAP(GET_PIXEL)(Surface* surface, int32_t x, int32_t y) {
    Unwiped(surface);
    return REAL(GET_PIXEL)(surface, x, y);
}

COLORREF WRAP(SET_PIXEL)(Surface* surface, int32_t x, int32_t y, COLORREF color) {
    Picture* p = Unwiped(surface);
    if (p && !p->changed && x >= 0 && y >= 0 && x < surface->width && y < surface->height) {
        if (p->pixelsSetCount == 4) {
            p->changed = true;
        } else {
            p->pixelsSet[p->pixelsSetCount++] = y * surface->width + x;
        }
    }
    return REAL(SET_PIXEL)(surface, x, y, color);
}

// The same open of the same music file answers as it did the first time.
MCIERROR WRAP(CHECK_MUSIC)(uint32_t flags, const MCI_OPEN_PARMS* params, uint32_t* lengthMs) {
    static std::string& file = *new std::string;
    static uint32_t flagsSeen, length;
    bool same = params && params->lpstrDeviceType && params->lpstrElementName &&
                flags == flagsSeen && strcasecmp(params->lpstrDeviceType, "sequencer") == 0 &&
                file == params->lpstrElementName;
    if (!same) {
        file.clear();
        MCIERROR error = REAL(CHECK_MUSIC)(flags, params, &length);
        if (error != 0) return error;
        file = params->lpstrElementName, flagsSeen = flags;
    }
    if (lengthMs) *lengthMs = length;
    return 0;
}

// A text drawn onto the back buffer before, at the same place and in the same colour, onto
// surfaces in the same state, is not drawn again: its letters come from the one font picture
// or font, and nothing reads the back buffer, so its drawing was checked the first time. The
// pages of credits and the score table, a frame's worth of text each, took two fifths of the
// time. The bitmap font's pen is set as drawing sets it.
void WRAP(DRAW_TEXT)(BitmapFont* font, int32_t x, int32_t y, const char* text, int32_t length) {
    uint32_t surfaces = StateOf(backBuffer) | StateOf(assetSurfaces.font) << 4;
    if (font != &bitmapFont || !DrawnBefore(1, x, y, 0, surfaces, text, length)) {
        return REAL(DRAW_TEXT)(font, x, y, text, length);
    }
    font->penX = x;
    font->penY = y;
}

void WRAP(DRAW_GDI_TEXT)(const char* text, int32_t x, int32_t y, COLORREF color, Surface* surface,
                         HFONT font) {
    if (surface != backBuffer || font != textFont || !text ||
        !DrawnBefore(2, x, y, color, StateOf(surface), text,
                     static_cast<int32_t>(std::strlen(text)))) {
        REAL(DRAW_GDI_TEXT)(text, x, y, color, surface, font);
    }
}
}
