// Any handed-in text is accepted or refused with a status and a reason (a line's number for
// a malformed one), never more; an accepted one replays, as the verifier's child does (the
// drawing skipped, the pictures kept), to games the table could hold.
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "app/replay/script.h"
#include "platform/headless/headless.h"
#include "server/verify/replay_games.h"
#include "server/verify/verify.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

int gamesSeen = 0;

bool Check(const verify::ReplayedGame& game) {
    if (game.score > 9999 || game.name.size() > 8) std::abort();
    ++gamesSeen;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    verify::Expectations expected;
    expected.seed = 1;
    expected.sinceIssuedMs = 600000;
    expected.maxBytes = 64 * 1024;
    verify::RecordingFacts facts;
    verify::Refusal refusal;
    if (!verify::CheckRecording(text, expected, &facts, &refusal)) {
        bool known = refusal.status == 400 || refusal.status == 413 || refusal.status == 422;
        if (!known || refusal.error.empty()) std::abort();
        if (refusal.status == 400 && refusal.error.rfind("line ", 0) != 0) std::abort();
        return 0;
    }
    if (facts.seed != 1 || facts.spanMs > 600000 + 5000 + 6000) std::abort();

    static bool entered = false;
    if (!entered) {
        EnterPrivateFolder();
        if (symlink(SOURCE_DIR "/data", "data") != 0 ||
            symlink(SOURCE_DIR "/font.des", "font.des") != 0) {
            std::abort();
        }
        HeadlessKeepPictures(true);
        entered = true;
    }
    unlink("high.dat");
    Script script;
    std::string error;
    if (!ParseScript(std::string(text), &script, &error)) std::abort();
    gamesSeen = 0;
    verify::ReplayGames(script, false, Check, nullptr);
    // Each game begins with a click on the menu's button.
    int clicks = 0;
    for (const ScriptCommand& c : script.commands) clicks += c.kind == CommandKind::Click;
    if (gamesSeen > clicks) std::abort();
    return 0;
}
