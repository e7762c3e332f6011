#include "tests/support/game_records.h"

#include <cstdint>
#include <cstring>
#include <type_traits>
#include <vector>

#include "app/app.h"
#include "display/display.h"
#include "hunt/hunt.h"
#include "screens/screens.h"

namespace {

struct Kept {
    void* record;
    std::vector<uint8_t> start;
};
std::vector<Kept>& kept = *new std::vector<Kept>;

template <typename T>
void Keep(T& record) {
    static_assert(std::is_trivially_copyable_v<T>);
    const auto* bytes = reinterpret_cast<const uint8_t*>(&record);
    kept.push_back({&record, std::vector<uint8_t>(bytes, bytes + sizeof record)});
}

}  // namespace

void KeepGameRecords() {
    kept.clear();
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
