// The script runs whenever the game waits for work: each step of a wait or frames command
// moves the clock to the game's next work and hands control back to the frame loop.
#include <algorithm>
#include <cstdio>

#include "app/app.h"
#include "app/replay/feed.h"
#include "app/replay/replay.h"
#include "display/display.h"
#include "platform/clock.h"
#include "platform/headless/headless.h"

namespace {

// The commands held in memory, or a file read as it is played.
const Script* running = nullptr;
ScriptFile* streamed = nullptr;
size_t next = 0;
ScriptCommand upcoming;
bool haveUpcoming = false;
FILE* output = nullptr;
uint32_t waitLeft = 0;
bool counting = false;
uint32_t flipTarget = 0;
bool ended = false;
int soundsSeen = 0;
// An "at" has set the clock; the input that follows it belongs to that moment.
bool atPending = false;

bool screenshotFailed = false;
ReplayInputHook inputHook = nullptr;

void Execute(const ScriptCommand& c) {
    if (inputHook && IsInputCommand(c.kind)) inputHook(c);
    switch (c.kind) {
        case CommandKind::Wait:
            waitLeft = static_cast<uint32_t>(c.a);
            break;
        case CommandKind::Frames:
            counting = true;
            flipTarget = HeadlessFlipCount() + static_cast<uint32_t>(c.a);
            break;
        case CommandKind::Lose:
            HeadlessLoseSurfaces();
            break;
        case CommandKind::Dump:
            std::fprintf(output, "%s\n", DumpState(&soundsSeen).c_str());
            std::fflush(output);
            break;
        case CommandKind::Screenshot:
            if (!WriteBmp(c.file.c_str(), HeadlessScreen())) {
                std::fprintf(stderr, "sidescroller-replay: line %d: cannot write %s\n", c.line,
                             c.file.c_str());
                screenshotFailed = true;
            }
            break;
        case CommandKind::At:
            // Straight there, as the real clock jumps between two wakings of the game.
            HeadlessAdvance(static_cast<uint32_t>(c.a) - timeGetTime());
            atPending = true;
            break;
        case CommandKind::Seed:
        case CommandKind::Start:
            break;
        default:
            FeedInput(c);
            break;
    }
}

// The next command, read once and kept until it is executed; nullptr at the end.
const ScriptCommand* Upcoming() {
    if (!haveUpcoming && streamed) haveUpcoming = NextScriptCommand(streamed, &upcoming);
    if (!haveUpcoming && !streamed && next < running->commands.size()) {
        upcoming = running->commands[next++];
        haveUpcoming = true;
    }
    return haveUpcoming ? &upcoming : nullptr;
}

void Idle(uint32_t workAt) {
    // Straight to the game's next work, or the end of the wait if that comes first: the game
    // does nothing in between, and the script's next input waits for the wait to end.
    int32_t untilWork = std::max(1, static_cast<int32_t>(workAt - timeGetTime()));
    for (;;) {
        if (waitLeft > 0) {
            uint32_t step = std::min(waitLeft, static_cast<uint32_t>(untilWork));
            waitLeft -= step;
            HeadlessAdvance(step);
            return;
        }
        if (counting) {
            if (HeadlessFlipCount() < flipTarget) {
                HeadlessAdvance(static_cast<uint32_t>(untilWork));
                return;
            }
            counting = false;
        }
        const ScriptCommand* command = ended ? nullptr : Upcoming();
        bool over = command == nullptr;
        // The game runs at the moment an "at" set, with its input, before anything later.
        if (atPending && (over || !IsInputCommand(command->kind))) {
            atPending = false;
            return;
        }
        if (over) {
            // The script is over: the window goes, and with it the program.
            if (!ended) HeadlessCloseWindow();
            ended = true;
            HeadlessAdvance(1);
            return;
        }
        Execute(*command);
        haveUpcoming = false;
    }
}

int Run(const Script& script, ScriptFile* file, FILE* out) {
    HeadlessReset();
    running = &script;
    streamed = file;
    output = out;
    next = 0;
    haveUpcoming = false;
    waitLeft = 0;
    counting = false;
    ended = false;
    soundsSeen = 0;
    atPending = false;
    screenshotFailed = false;
    HeadlessSetSeed(script.seed);
    HeadlessSetClock(script.start);
    HeadlessSetIdleHook(Idle);
    int code = GameMain(1);
    HeadlessSetIdleHook(nullptr);
    // A replay may be one of several in a process (tests): give the pictures back.
    ReleaseDisplay();
    HeadlessReset();
    // The run goes on to the end, but a picture that was asked for and is missing fails it.
    return screenshotFailed ? 2 : code;
}

}  // namespace

void SetReplayInputHook(ReplayInputHook hook) {
    inputHook = hook;
}

int RunReplay(const Script& script, FILE* out) {
    return Run(script, nullptr, out);
}

int RunReplay(const Script& header, ScriptFile* file, FILE* out) {
    return Run(header, file, out);
}
