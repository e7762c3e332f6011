#include "tests/fuzz/game_input.h"

#include <algorithm>

namespace {

// The event kinds, by the first byte modulo 16; the more useful ones take more values.
enum Op : uint8_t {
    OP_MOVE = 0,  // 0 to 2: to (a * 639 / 255, b * 479 / 255)
    OP_LEFT = 3,  // 3 and 4
    OP_RIGHT = 5,
    OP_KEY = 6,  // 6 and 7: virtual key a
    OP_DOWN = 8,
    OP_UP = 9,
    OP_HOLD = 10,  // held (b odd) or let go, without a key message
    OP_WAIT = 11,  // 11 and 12: 1 + (a b) % 1000 ms
    OP_JUMP = 13,  // the clock jumps (a b) ms on
    OP_LOSE = 14,
    OP_CLOSE = 15,
};

constexpr uint32_t WAIT_STEP = 1000;
constexpr int64_t FRAME_MS = 26;

ScriptCommand Command(CommandKind kind, int64_t a = 0, int64_t b = 0) {
    ScriptCommand c;
    c.kind = kind;
    c.a = a;
    c.b = b;
    return c;
}

uint8_t Scaled(int64_t value, int64_t top) {
    return static_cast<uint8_t>(std::clamp<int64_t>((value * 255 + top / 2) / top, 0, 255));
}

}  // namespace

void DecodeGameInput(const uint8_t* data, size_t size, Script& script) {
    script.commands.clear();
    script.seed = 1;
    if (size == 0) return;
    script.seed = data[0] + 1u;
    script.commands.reserve(MAX_EVENTS);
    int64_t now = 0;
    uint32_t waited = 0;
    for (size_t at = 1; at + 3 <= size && script.commands.size() < MAX_EVENTS; at += 3) {
        const uint8_t a = data[at + 1], b = data[at + 2];
        const uint32_t value = a << 8 | b;
        std::vector<ScriptCommand>& out = script.commands;
        switch (data[at] % 16) {
            case 0:
            case 1:
            case 2:
                out.push_back(Command(CommandKind::Move, a * 639 / 255, b * 479 / 255));
                break;
            case 3:
            case 4:
                out.push_back(Command(CommandKind::Click, 0));
                break;
            case OP_RIGHT:
                out.push_back(Command(CommandKind::Click, 1));
                break;
            case 6:
            case 7:
                out.push_back(Command(CommandKind::Key, a));
                break;
            case OP_DOWN:
                out.push_back(Command(CommandKind::Down, a));
                break;
            case OP_UP:
                out.push_back(Command(CommandKind::Up, a));
                break;
            case OP_HOLD:
                out.push_back(Command(b & 1 ? CommandKind::Hold : CommandKind::Release, a));
                break;
            case 11:
            case 12: {
                uint32_t ms = 1 + value % WAIT_STEP;
                if (waited + ms > MAX_WAITED_MS) break;
                waited += ms;
                now += ms;
                out.push_back(Command(CommandKind::Wait, ms));
                break;
            }
            case OP_JUMP:
                now += value;
                out.push_back(Command(CommandKind::At, now));
                break;
            case OP_LOSE:
                out.push_back(Command(CommandKind::Lose));
                break;
            case OP_CLOSE:
                out.push_back(Command(CommandKind::Close));
                break;
        }
    }
}

std::vector<uint8_t> EncodeGameInput(const Script& script) {
    std::vector<uint8_t> out = {static_cast<uint8_t>(script.seed - 1)};
    auto event = [&out](uint8_t op, uint32_t a = 0, uint32_t b = 0) {
        out.insert(out.end(), {op, static_cast<uint8_t>(a), static_cast<uint8_t>(b)});
    };
    // Past the input's waiting time, a second at a time by jumps, each of which still
    // brings the clock's tick.
    uint32_t waited = 0;
    auto wait = [&event, &waited](int64_t ms) {
        for (; ms > 0; ms -= WAIT_STEP) {
            uint32_t step = static_cast<uint32_t>(std::min<int64_t>(ms, WAIT_STEP));
            bool jump = waited + step > MAX_WAITED_MS;
            if (!jump) waited += step;
            uint32_t value = jump ? step : step - 1;
            event(jump ? OP_JUMP : OP_WAIT, value >> 8, value & 0xFF);
        }
    };
    int64_t now = script.start;
    for (const ScriptCommand& c : script.commands) {
        switch (c.kind) {
            case CommandKind::Move:
                event(OP_MOVE, Scaled(c.a, 639), Scaled(c.b, 479));
                break;
            case CommandKind::Click:
                event(c.a ? OP_RIGHT : OP_LEFT);
                break;
            case CommandKind::Key:
                event(OP_KEY, static_cast<uint32_t>(c.a));
                break;
            case CommandKind::Down:
                event(OP_DOWN, static_cast<uint32_t>(c.a));
                break;
            case CommandKind::Up:
                event(OP_UP, static_cast<uint32_t>(c.a));
                break;
            case CommandKind::Hold:
            case CommandKind::Release:
                event(OP_HOLD, static_cast<uint32_t>(c.a), c.kind == CommandKind::Hold);
                break;
            case CommandKind::Wait:
                wait(c.a);
                now += c.a;
                break;
            case CommandKind::Frames:
                wait(c.a * FRAME_MS);
                now += c.a * FRAME_MS;
                break;
            case CommandKind::At:
                // Long jumps in several steps; the clock never goes back.
                for (int64_t left = std::max<int64_t>(c.a - now, 0);; left -= 0xFFFF) {
                    uint32_t step = static_cast<uint32_t>(std::min<int64_t>(left, 0xFFFF));
                    event(OP_JUMP, step >> 8, step & 0xFF);
                    if (left <= 0xFFFF) break;
                }
                now = std::max(now, c.a);
                break;
            case CommandKind::Lose:
                event(OP_LOSE);
                break;
            case CommandKind::Close:
                event(OP_CLOSE);
                break;
            case CommandKind::Seed:
            case CommandKind::Start:
            case CommandKind::Dump:
            case CommandKind::Screenshot:
                break;
        }
    }
    return out;
}
