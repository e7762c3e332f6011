// The whole game under any stream of mouse moves, buttons, keys and waits: the replay driver
// plays the input from the logo on, and after every frame the game must still make sense.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <type_traits>
#include <vector>

#include "app/app.h"
#include "app/replay/replay.h"
#include "display/display.h"
#include "hunt/hunt.h"
#include "platform/common/queue.h"
#include "platform/common/surface_internal.h"
#include "platform/headless/headless.h"
#include "screens/screens.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/fuzz/game_input.h"

namespace {

// The game's records as the program starts, put back before every input.
struct Kept {
    void* record;
    std::vector<uint8_t> start;
};
std::vector<Kept> kept;

template <typename T>
void Keep(T& record) {
    static_assert(std::is_trivially_copyable_v<T>);
    const auto* bytes = reinterpret_cast<const uint8_t*>(&record);
    kept.push_back({&record, std::vector<uint8_t>(bytes, bytes + sizeof record)});
}

void KeepGameRecords() {
    Keep(GameState), Keep(quitAfterCredits), Keep(mainWindow), Keep(logFile);
    Keep(lastFrameTime), Keep(musicOpenParams), Keep(musicPlayParams);
    Keep(scrollX), Keep(score), Keep(secondsLeft), Keep(shotsLeft), Keep(cursorPos);
    Keep(smallBirds), Keep(bigBirds), Keep(plane), Keep(para), Keep(popups);
    Keep(newGameButton), Keep(quitButton), Keep(creditsButton), Keep(highScoreButton);
    Keep(hotSpot), Keep(hitRect), Keep(highScoreTable), Keep(highScorePhase), Keep(nameEntry);
    Keep(directDraw), Keep(primarySurface), Keep(backBuffer), Keep(assetSurfaces);
    Keep(bitmapFont), Keep(textFont);
}

void RestoreGameRecords() {
    for (const Kept& k : kept) std::memcpy(k.record, k.start.data(), k.start.size());
}

// Each picture is decoded once for the whole run, not once an input or at every loss of the
// surfaces: decoding the 19 pictures took nearly all of an input's time. The surfaces outlive
// the game that loaded them (the link wraps the game's loading and releasing of pictures);
// their pixels are put back after an input that lost them, so that every input starts from
// the same pictures.
struct Picture {
    std::string file;
    Surface* surface;
    std::vector<uint16_t> pixels;
};
// Kept for the whole process, so that nothing kept counts as a leak at its end.
std::vector<Picture>& pictures = *new std::vector<Picture>;
struct DecodedFile {
    std::string file;
    Bitmap* bitmap;
};
std::vector<DecodedFile>& decoded = *new std::vector<DecodedFile>;
bool lostSurfaces = false;

Picture* KeptPicture(const Surface* surface) {
    for (Picture& p : pictures) {
        if (p.surface == surface) return &p;
    }
    return nullptr;
}

// Only after an input that lost the surfaces: copying them all takes a millisecond.
void RepairPictures() {
    for (Picture& p : pictures) {
        p.surface->lost = false;
        p.surface->locked = false;
        std::memcpy(p.surface->pixels, p.pixels.data(), p.pixels.size() * sizeof p.pixels[0]);
    }
}

[[noreturn]] void Broken(const char* what) {
    std::fprintf(stderr, "fuzz_game: %s (state %d, score %d, shots %d, scroll %d)\n", what,
                 GameState, score, shotsLeft, scrollX);
    std::abort();
}

// A shot changes the score by what one hit gives, or not at all; nothing else changes it
// but the start of a game, which sets it to 0.
int32_t lastScore;
bool shotPending;
int8_t lastState;

void SettleScore() {
    if (score != lastScore && score != 0) {
        int32_t change = score - lastScore;
        if (!shotPending || (change != 10 && change != 20 && change != -30)) {
            Broken("the score changed by what no hit gives");
        }
    }
    lastScore = score;
    shotPending = false;
}

void MessageTaken(const MSG& msg) {
    SettleScore();
    if (msg.message == WM_LBUTTONDOWN && GameState == Playing && shotsLeft > 0) {
        shotPending = true;
    }
}

// Whatever a save wrote loads back to the ten entries the game shows.
void CheckSavedTable() {
    HighScoreTable loaded;
    loaded.Clear();
    loaded.Load();
    for (int i = 0; i < 10; ++i) {
        const HighScoreEntry& shown = highScoreTable.entries[i];
        if (loaded.entries[i].score != shown.score ||
            std::memcmp(loaded.entries[i].name, shown.name, 10) != 0) {
            Broken("high.dat does not load to the table the game saved");
        }
    }
}

void AfterFrame() {
    SettleScore();
    if (GameState < Playing || GameState > NameEntry) Broken("not one of the game's states");
    if (shotsLeft < 0 || shotsLeft > MAGAZINE_SIZE) Broken("the magazine is out of range");
    if (scrollX < 0 || scrollX > WORLD_WIDTH - SCREEN_WIDTH || scrollX % SCROLL_STEP != 0) {
        Broken("the scroll position is out of range");
    }
    if (secondsLeft > GAME_SECONDS) Broken("more time left than a game has");
    if (cursorPos.x < 0 || cursorPos.x > CURSOR_MAX_X || cursorPos.y < 0 ||
        cursorPos.y > CURSOR_MAX_Y) {
        Broken("the cursor is off the screen");
    }
    if (nameEntry.length < 0 || nameEntry.length > 8 || nameEntry.x != 313 - 7 * nameEntry.length) {
        Broken("the name field is out of shape");
    }
    // Every save happens as a game ends, by Escape or the clock; a game cut short by the
    // window's close is not saved.
    if (lastState == Playing && GameState != Playing) CheckSavedTable();
    lastState = GameState;
}

}  // namespace

// The names the linker gives the wrapped functions (-Wl,--wrap in CMakeLists.txt).
// clang-format off
#define LOAD_FILE _Z14LoadBitmapFilePKcPNSt7__cxx1112basic_stringIcSt11char_traitsIcESaIcEEE
#define DELETE_BITMAP _Z12DeleteBitmapP6Bitmap
#define LOAD_PICTURE _Z17LoadBitmapSurfaceP10DirectDrawPKciiPNSt7__cxx1112basic_stringIcSt11char_traitsIcESaIcEEE
#define RELEASE_SURFACE _Z14ReleaseSurfaceP7Surface
#define COPY_PICTURE _Z19CopyBitmapToSurfaceP7SurfaceP6Bitmapiiii
// clang-format on
#define JOIN(a, b) a##b
#define REAL(name) JOIN(__real_, name)
#define WRAP(name) JOIN(__wrap_, name)

extern "C" {
Bitmap* REAL(LOAD_FILE)(const char*, std::string*);
void REAL(DELETE_BITMAP)(Bitmap*);
Surface* REAL(LOAD_PICTURE)(DirectDraw*, const char*, int32_t, int32_t, std::string*);
void REAL(RELEASE_SURFACE)(Surface*);
HRESULT REAL(COPY_PICTURE)(Surface*, Bitmap*, int32_t, int32_t, int32_t, int32_t);

// A lost surface's picture is read again from its file: from the decoded one kept.
Bitmap* WRAP(LOAD_FILE)(const char* name, std::string* problem) {
    for (const DecodedFile& f : decoded) {
        if (f.file == name) return f.bitmap;
    }
    Bitmap* bitmap = REAL(LOAD_FILE)(name, problem);
    if (bitmap) decoded.push_back({name, bitmap});
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
    for (const Picture& p : pictures) {
        if (p.file == name) return p.surface;
    }
    Surface* surface = REAL(LOAD_PICTURE)(dd, name, width, height, problem);
    if (surface) {
        std::vector<uint16_t> pixels(surface->pixels,
                                     surface->pixels + size_t(surface->width) * surface->height);
        pictures.push_back({name, surface, std::move(pixels)});
    }
    return surface;
}

void WRAP(RELEASE_SURFACE)(Surface* surface) {
    if (!KeptPicture(surface)) REAL(RELEASE_SURFACE)(surface);
}

// A restored picture drawn again whole from its own file: the pixels its first load made.
HRESULT WRAP(COPY_PICTURE)(Surface* surface, Bitmap* bitmap, int32_t x, int32_t y, int32_t width,
                           int32_t height) {
    const Picture* p = KeptPicture(surface);
    bool whole = x == 0 && y == 0 && width == 0 && height == 0;
    if (p && whole && !surface->lost && !surface->locked) {
        for (const DecodedFile& f : decoded) {
            if (f.bitmap != bitmap || f.file != p->file) continue;
            std::memcpy(surface->pixels, p->pixels.data(), p->pixels.size() * sizeof p->pixels[0]);
            return DD_OK;
        }
    }
    return REAL(COPY_PICTURE)(surface, bitmap, x, y, width, height);
}
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    namespace fs = std::filesystem;
    EnterPrivateFolder();
    fs::create_directory_symlink(fs::path(SOURCE_DIR) / "data", "data");
    fs::create_symlink(fs::path(SOURCE_DIR) / "font.des", "font.des");
    // The records built before main read "font.des" from wherever the fuzzer was started.
    bitmapFont = BitmapFont{};
    bitmapFont.Load("font.des");
    KeepGameRecords();
    SetMessageTakenHook(MessageTaken);
    HeadlessSetFlipHook(AfterFrame);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Script script = DecodeGameInput(data, size);
    std::remove("high.dat");
    RestoreGameRecords();
    if (lostSurfaces) RepairPictures();
    lostSurfaces = false;
    for (const ScriptCommand& c : script.commands) lostSurfaces |= c.kind == CommandKind::Lose;
    lastScore = score;
    shotPending = false;
    lastState = GameState;
    static FILE* nowhere = std::fopen("/dev/null", "w");
    RunReplay(script, nowhere);
    // The game leaves its log open for the process's end, which each input stands for.
    if (logFile) std::fclose(logFile);
    return 0;
}
