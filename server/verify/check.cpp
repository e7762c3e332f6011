// Reading a handed-in recording before any replay: the replay scripts' own parser, held to
// what the recorders write.
#include <string>

#include "app/replay/feed.h"
#include "app/replay/script.h"
#include "server/verify/verify.h"

namespace verify {

namespace {

bool Refuse(Refusal* refusal, int status, std::string error) {
    if (refusal) *refusal = Refusal{status, std::move(error)};
    return false;
}

// What a recorder writes; the rest are the scripts' own tools (waiting, counting frames,
// pictures, state dumps, lost surfaces), which a player's recording never holds.
bool Recorded(CommandKind kind) {
    return kind == CommandKind::At || IsInputCommand(kind);
}

const char* VerbOf(CommandKind kind) {
    switch (kind) {
        case CommandKind::Wait:
            return "wait";
        case CommandKind::Frames:
            return "frames";
        case CommandKind::Lose:
            return "lose";
        case CommandKind::Dump:
            return "dump";
        case CommandKind::Screenshot:
            return "screenshot";
        default:
            return "this command";
    }
}

}  // namespace

bool CheckRecording(std::string_view text, const Expectations& expected, RecordingFacts* facts,
                    Refusal* refusal) {
    if (text.size() > expected.maxBytes) {
        return Refuse(refusal, 413,
                      "the recording is " + std::to_string(text.size()) + " bytes, more than " +
                          std::to_string(expected.maxBytes));
    }
    Script script;
    std::string error;
    if (!ParseScript(std::string(text), &script, &error)) return Refuse(refusal, 400, error);
    // A recorder ends every line; a last line cut short is a copy made while it was written.
    if (!script.note.empty()) {
        return Refuse(refusal, 400,
                      "line " + std::to_string(script.lastLine + 1) + ": cut short, no line end");
    }
    uint32_t reached = 0;  // the clock's distance from start, modulo 2^32
    for (const ScriptCommand& c : script.commands) {
        if (!Recorded(c.kind)) {
            return Refuse(refusal, 400,
                          "line " + std::to_string(c.line) + ": " + VerbOf(c.kind) +
                              " is not written by a recording");
        }
        if (c.kind != CommandKind::At) continue;
        // The clock wraps at 2^32 ms like the system's, so it is measured from start.
        uint32_t at = static_cast<uint32_t>(c.a) - script.start;
        if (at < reached) {
            return Refuse(refusal, 400,
                          "line " + std::to_string(c.line) + ": the clock goes back, to " +
                              std::to_string(c.a));
        }
        reached = at;
    }
    if (script.seed != expected.seed) {
        return Refuse(
            refusal, 422,
            "the recording's seed " + std::to_string(script.seed) + " is not its token's");
    }
    // Real time: no faster than the token's age allows, with 5 s and 1 % for the clocks.
    uint64_t allowed = expected.sinceIssuedMs + 5000 + expected.sinceIssuedMs / 100;
    if (reached > allowed) {
        return Refuse(refusal, 422,
                      "the recording spans " + std::to_string(reached) +
                          " ms, more than the token's age allows (" + std::to_string(allowed) +
                          " ms)");
    }
    if (facts) *facts = RecordingFacts{script.seed, script.start, reached, script.lastLine};
    return true;
}

}  // namespace verify
