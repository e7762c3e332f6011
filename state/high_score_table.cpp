// The ten best scores kept in "high.dat": read, sorted and written whole in their place.
//
// A line of the file is the ten complemented name bytes, a space, 255 - score as "%d" and
// a bare line feed. The table object itself is defined with the other early-constructed
// records, so that it is cleared in a known order.
#include "state/high_score_table.h"

#include <cstring>
#include <string>

#include "platform/files.h"
#include "platform/report.h"

namespace {

constexpr int INSERT_SLOT = 10;
// Two slots beyond the insertion slot take part in every sort; the last two never do.
constexpr int SORTED_SLOTS = 13;
constexpr int NAME_BYTES = 10;
constexpr int32_t SCORE_CAP = 9999;
constexpr int64_t SCORE_BIAS = 255;

const char* const HIGH_SCORE_FILE = "high.dat";

// A number longer than Save ever writes is not Save's shape; larger ones saturate here.
constexpr int MAX_SAVED_DIGITS = 10;
constexpr int64_t NUMBER_LIMIT = 1000000000000000LL;
// Ten records of name, space, sign, digits and line feed.
constexpr size_t MAX_SAVED_SIZE = RANKED_SLOTS * (NAME_BYTES + 1 + 1 + MAX_SAVED_DIGITS + 1);

// The white space of the "%s" and "%d" conversions in the C locale.
bool IsSpace(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(int c) {
    return c >= '0' && c <= '9';
}

int64_t AddDigit(int64_t number, int c) {
    return number >= NUMBER_LIMIT ? number : number * 10 + (c - '0');
}

// The score a stored number stands for: capped above, and below only by its type.
int32_t ScoreFromNumber(int64_t number) {
    int64_t value = SCORE_BIAS - number;
    if (value > SCORE_CAP) value = SCORE_CAP;
    if (value < INT32_MIN) value = INT32_MIN;
    return static_cast<int32_t>(value);
}

struct LoadedRecord {
    uint8_t token[NAME_BYTES];
    int64_t number;
};

void StoreRecord(HighScoreEntry* slot, const LoadedRecord& record) {
    for (int k = 0; k < NAME_BYTES; k++) slot->name[k] = static_cast<uint8_t>(~record.token[k]);
    slot->score = ScoreFromNumber(record.number);
}

// Reads the ten records by position, exactly as Save lays them out, so that name bytes
// that complement to white space survive. False, with the slots untouched, for any other
// shape.
bool LoadSavedShape(const uint8_t* data, size_t size, HighScoreEntry* slots) {
    LoadedRecord records[RANKED_SLOTS];
    size_t at = 0;
    for (LoadedRecord& record : records) {
        if (size - at < NAME_BYTES + 1) return false;
        std::memcpy(record.token, data + at, NAME_BYTES);
        at += NAME_BYTES;
        if (data[at++] != ' ') return false;
        bool negative = at < size && data[at] == '-';
        if (negative) at++;
        int digits = 0;
        record.number = 0;
        while (at < size && IsDigit(data[at]) && digits < MAX_SAVED_DIGITS) {
            record.number = AddDigit(record.number, data[at++]);
            digits++;
        }
        if (digits == 0 || at >= size || data[at++] != '\n') return false;
        if (negative) record.number = -record.number;
    }
    for (int slot = 0; slot < RANKED_SLOTS; slot++) StoreRecord(&slots[slot], records[slot]);
    return true;
}

int SkipSpace(FILE* file) {
    int c;
    do c = std::fgetc(file);
    while (c != EOF && IsSpace(c));
    return c;
}

// The "%s" conversion into ten bytes; the rest of a longer token is read and dropped, a
// shorter one leaves zero bytes after it. False at the end of the file.
bool ReadToken(FILE* file, uint8_t* token) {
    std::memset(token, 0, NAME_BYTES);
    int c = SkipSpace(file);
    if (c == EOF) return false;
    for (int length = 0; c != EOF && !IsSpace(c); c = std::fgetc(file)) {
        if (length < NAME_BYTES) token[length++] = static_cast<uint8_t>(c);
    }
    if (c != EOF) std::ungetc(c, file);
    return true;
}

// The "%d" conversion. False when no digit comes; the byte that stopped it is read next.
bool ReadNumber(FILE* file, int64_t* number) {
    int c = SkipSpace(file);
    bool negative = c == '-';
    if (c == '-' || c == '+') c = std::fgetc(file);
    if (!IsDigit(c)) {
        if (c != EOF) std::ungetc(c, file);
        return false;
    }
    int64_t value = 0;
    for (; IsDigit(c); c = std::fgetc(file)) value = AddDigit(value, c);
    if (c != EOF) std::ungetc(c, file);
    *number = negative ? -value : value;
    return true;
}

// The token reading, for every file not of Save's exact shape. A slot whose name or
// number cannot be read keeps what it held; the end of the file ends the reading.
void LoadTokens(FILE* file, HighScoreEntry* slots) {
    for (int slot = 0; slot < RANKED_SLOTS; slot++) {
        LoadedRecord record;
        if (!ReadToken(file, record.token)) return;
        if (ReadNumber(file, &record.number)) StoreRecord(&slots[slot], record);
    }
}

bool WriteRecords(FILE* file, const HighScoreEntry* slots) {
    bool written = true;
    for (int slot = 0; slot < RANKED_SLOTS; slot++) {
        uint8_t stored[NAME_BYTES];
        for (int k = 0; k < NAME_BYTES; k++) stored[k] = static_cast<uint8_t>(~slots[slot].name[k]);
        written = std::fwrite(stored, 1, NAME_BYTES, file) == NAME_BYTES && written;
        // Wide enough that no score overflows; the same text as "%d" for every saved score.
        long long number = SCORE_BIAS - static_cast<int64_t>(slots[slot].score);
        written = std::fprintf(file, " %lld\n", number) > 0 && written;
    }
    return written;
}

// Names the file as the player sees it, and where a link led the save.
void ReportSaveProblem(const std::string& target, const char* why) {
    std::string path = HostPath(HIGH_SCORE_FILE);
    std::string text = "cannot save the high scores in " + path;
    if (!target.empty() && target != path) text += " (" + target + ")";
    ReportProblem((text + ": " + why).c_str());
}

}  // namespace

void HighScoreTable::Clear() {
    for (int slot = 0; slot < RANKED_SLOTS; slot++) {
        entries[slot].score = 0;
        entries[slot].name[0] = 0;
    }
}

void HighScoreTable::Load() {
    file = OpenGameFile(HIGH_SCORE_FILE, "rb");
    if (file == nullptr) return;
    uint8_t head[MAX_SAVED_SIZE];
    size_t size = std::fread(head, 1, sizeof head, file);
    if (!LoadSavedShape(head, size, entries)) {
        std::rewind(file);
        LoadTokens(file, entries);
    }
    std::fclose(file);
    file = nullptr;
}

void HighScoreTable::Save() {
    // The cap is applied to the table itself, so the screen shows what the file holds.
    for (int slot = 0; slot < RANKED_SLOTS; slot++) {
        if (entries[slot].score > SCORE_CAP) entries[slot].score = SCORE_CAP;
    }
    // Written in full beside the real file and put in its place whole, so that neither a
    // crash nor another copy of the game ever finds a half-written table. A failed save
    // leaves the old file as it was; the game goes on with the table it shows.
    FileReplacement replacement;
    const char* why = BeginFileReplacement(HIGH_SCORE_FILE, &replacement);
    if (why == nullptr) {
        file = replacement.stream;
        if (WriteRecords(file, entries)) {
            why = FinishFileReplacement(&replacement);
        } else {
            AbandonFileReplacement(&replacement);
            why = "the file could not be written";
        }
        file = nullptr;
    }
    if (why != nullptr) ReportSaveProblem(replacement.target, why);
}

void HighScoreTable::Insert(int32_t newScore, const char* name) {
    HighScoreEntry& slot = entries[INSERT_SLOT];
    slot.score = newScore;
    if (name == nullptr) name = "";
    // Up to and including the terminator; the bytes after it keep what the slot held.
    // Bytes 10 and 11 are never written, so the name always ends within the slot.
    for (int k = 0; k < NAME_BYTES; k++) {
        slot.name[k] = static_cast<uint8_t>(name[k]);
        if (name[k] == 0) break;
    }
    Sort();
}

void HighScoreTable::Sort() {
    // Equal scores are never exchanged, so a new score ranks below an equal older one.
    for (int pass = 0; pass < SORTED_SLOTS - 1; pass++) {
        for (int j = 0; j < SORTED_SLOTS - 1; j++) {
            if (entries[j].score < entries[j + 1].score) {
                HighScoreEntry held = entries[j];
                entries[j] = entries[j + 1];
                entries[j + 1] = held;
            }
        }
    }
}
