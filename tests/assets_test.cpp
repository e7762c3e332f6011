// The committed pictures, sounds and music, read back with readers of their own (not the
// game's loader): sizes and cells the drawing code relies on, colour keys, the landscape
// seam, the font table, and sound and music files that play cleanly.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/asset_files.h"

namespace {

using assetfiles::MidiSummary;
using assetfiles::Picture;
using assetfiles::ReadBmp;
using assetfiles::ReadMidi;
using assetfiles::ReadWav;
using assetfiles::Rgb;
using assetfiles::Wave;

const Rgb BLACK{0, 0, 0}, WHITE{255, 255, 255};

struct SheetLayout {
    const char* name;
    int width, height, cellWidth, cellHeight, cells;
    Rgb key;
};

const SheetLayout SHEETS[] = {
    {"kralo.bmp", 600, 360, 100, 120, 18, BLACK},  {"kralo2.bmp", 600, 360, 100, 120, 18, BLACK},
    {"pelko.bmp", 300, 180, 50, 60, 18, BLACK},    {"pelko2.bmp", 300, 180, 50, 60, 18, BLACK},
    {"plane.bmp", 220, 120, 220, 60, 2, WHITE},    {"para.bmp", 600, 360, 150, 180, 8, WHITE},
    {"newgame.bmp", 450, 424, 225, 53, 15, BLACK}, {"beenden.bmp", 450, 424, 225, 53, 15, BLACK},
    {"credits.bmp", 450, 424, 225, 53, 15, BLACK}, {"highscore.bmp", 450, 424, 225, 53, 15, BLACK},
};

int CellColumns(const SheetLayout& s) {
    return s.width / s.cellWidth;
}

// Number of non-key pixels of one cell, and whether any of them lies on the cell's border.
struct CellInk {
    int count = 0;
    bool onBorder = false;
};

CellInk InkOf(const Picture& p, int x0, int y0, int w, int h, Rgb key) {
    CellInk ink;
    for (int y = y0; y < y0 + h; ++y) {
        for (int x = x0; x < x0 + w; ++x) {
            if (p.at(x, y) == key) continue;
            ++ink.count;
            if (x == x0 || y == y0 || x == x0 + w - 1 || y == y0 + h - 1) ink.onBorder = true;
        }
    }
    return ink;
}

std::vector<bool> Mask(const Picture& p, int x0, int y0, int w, int h, Rgb key, bool mirror) {
    std::vector<bool> m;
    for (int y = y0; y < y0 + h; ++y) {
        for (int x = 0; x < w; ++x) m.push_back(!(p.at(x0 + (mirror ? w - 1 - x : x), y) == key));
    }
    return m;
}

int Difference(const std::vector<bool>& a, const std::vector<bool>& b) {
    int n = 0;
    for (size_t i = 0; i < a.size(); ++i) n += a[i] != b[i];
    return n;
}

TEST(Assets, EveryPictureHasItsSize) {
    const std::map<std::string, std::pair<int, int>> sizes = {{"side1.bmp", {640, 480}},
                                                              {"side2.bmp", {640, 480}},
                                                              {"baum.bmp", {344, 402}},
                                                              {"menu.bmp", {640, 480}},
                                                              {"logo.bmp", {400, 226}}};
    for (const auto& [name, size] : sizes) {
        Picture p = ReadBmp(name);
        EXPECT_EQ(p.width, size.first) << name;
        EXPECT_EQ(p.height, size.second) << name;
    }
    for (const SheetLayout& s : SHEETS) {
        Picture p = ReadBmp(s.name);
        EXPECT_EQ(p.width, s.width) << s.name;
        EXPECT_EQ(p.height, s.height) << s.name;
    }
    // Drawn at (180, 70) the panel must stay on the screen; the cursor within 50 x 50, the
    // cartridge within a 30-pixel step of the magazine row.
    Picture high = ReadBmp("high.bmp"), cursor = ReadBmp("cursor.bmp"), ammo = ReadBmp("ammo.bmp");
    EXPECT_TRUE(high.width > 0 && high.width <= 460 && high.height > 0 && high.height <= 65);
    EXPECT_TRUE(cursor.width == 50 && cursor.height == 50);
    EXPECT_TRUE(ammo.width > 0 && ammo.width <= 30 && ammo.height >= 40 && ammo.height <= 60);
}

// The display's 16-bit format would turn a colour within a few steps of the key into the
// key and punch a hole in the sprite.
TEST(Assets, SpriteColoursKeepClearOfTheKey) {
    std::vector<std::pair<std::string, Rgb>> keyed = {
        {"baum.bmp", WHITE}, {"cursor.bmp", BLACK}, {"ammo.bmp", BLACK}, {"font.bmp", BLACK}};
    for (const SheetLayout& s : SHEETS) keyed.push_back({s.name, s.key});
    for (const auto& [name, key] : keyed) {
        Picture p = ReadBmp(name);
        int near = 0, opaque = 0;
        for (const Rgb& c : p.pixels) {
            if (c == key) continue;
            ++opaque;
            if (std::abs(c.r - key.r) < 8 || std::abs(c.g - key.g) < 8 || std::abs(c.b - key.b) < 8)
                ++near;
        }
        EXPECT_EQ(near, 0) << name;
        EXPECT_GT(opaque, 0) << name;
    }
}

TEST(Assets, SheetCellsHoldOneCleanPictureEach) {
    for (const SheetLayout& s : SHEETS) {
        Picture p = ReadBmp(s.name);
        if (p.width != s.width) continue;
        for (int c = 0; c < (s.width / s.cellWidth) * (s.height / s.cellHeight); ++c) {
            int x0 = (c % CellColumns(s)) * s.cellWidth, y0 = (c / CellColumns(s)) * s.cellHeight;
            CellInk ink = InkOf(p, x0, y0, s.cellWidth, s.cellHeight, s.key);
            if (c < s.cells) {
                EXPECT_GT(ink.count, s.cellWidth * s.cellHeight / 20) << s.name << " cell " << c;
                EXPECT_FALSE(ink.onBorder) << s.name << " cell " << c << " touches its border";
            } else {
                EXPECT_EQ(ink.count, 0) << s.name << " unused cell " << c;
            }
        }
    }
}

TEST(Assets, ButtonsAnimateFromTheirRestingPicture) {
    for (const char* name : {"newgame.bmp", "beenden.bmp", "credits.bmp", "highscore.bmp"}) {
        Picture p = ReadBmp(name);
        if (p.width != 450) continue;
        auto cell = [&](int f) {
            std::vector<Rgb> px;
            for (int y = 0; y < 53; ++y)
                for (int x = 0; x < 225; ++x)
                    px.push_back(p.at((f % 2) * 225 + x, (f / 2) * 53 + y));
            return px;
        };
        std::vector<Rgb> rest = cell(0);
        int changed = 0;
        for (int f = 1; f < 15; ++f) changed += cell(f) != rest;
        EXPECT_EQ(changed, 14) << name << ": every animation picture differs from the rest";
        EXPECT_NE(cell(7), cell(8)) << name;
    }
}

TEST(Assets, BirdFlightLoopsAndLeftSheetsMirrorTheRight) {
    struct Pair {
        const char* right;
        const char* left;
        int w, h;
    };
    for (const Pair& b :
         {Pair{"kralo.bmp", "kralo2.bmp", 100, 120}, Pair{"pelko.bmp", "pelko2.bmp", 50, 60}}) {
        Picture right = ReadBmp(b.right), left = ReadBmp(b.left);
        if (right.width != 6 * b.w || left.width != 6 * b.w) continue;
        auto mask = [&](const Picture& p, int f, bool mirror) {
            return Mask(p, (f % 6) * b.w, (f / 6) * b.h, b.w, b.h, BLACK, mirror);
        };
        // The game shows 0..11 flying right and 11 down to 1 flying left; no step of either
        // loop, including the wrap, may jump much further than the others.
        auto checkLoop = [&](const Picture& p, const std::vector<int>& order, const char* name) {
            std::vector<int> steps;
            for (size_t i = 0; i < order.size(); ++i)
                steps.push_back(Difference(mask(p, order[i], false),
                                           mask(p, order[(i + 1) % order.size()], false)));
            int wrap = steps.back();
            steps.pop_back();
            int most = *std::max_element(steps.begin(), steps.end());
            int least = *std::min_element(steps.begin(), steps.end());
            EXPECT_GT(least, 0) << name << ": every flight picture moves";
            EXPECT_GT(wrap, 0) << name;
            EXPECT_LE(wrap, most + most / 5) << name << ": the flap jumps where the loop closes";
        };
        checkLoop(right, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, b.right);
        checkLoop(left, {11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1}, b.left);
        // The fall plays 12..17 flying right and 17..12 flying left: the same tumble mirrored.
        for (int k = 0; k < 6; ++k) {
            EXPECT_EQ(Difference(mask(right, 12 + k, false), mask(left, 17 - k, true)), 0)
                << b.left << " fall " << k;
        }
        for (int k = 12; k < 17; ++k)
            EXPECT_GT(Difference(mask(right, k, false), mask(right, k + 1, false)), 0);
    }
}

TEST(Assets, LandscapeHalvesJoinWithoutASeam) {
    Picture a = ReadBmp("side1.bmp"), b = ReadBmp("side2.bmp");
    ASSERT_TRUE(a.width == 640 && b.width == 640);
    auto columnStep = [](const Picture& l, int lx, const Picture& r, int rx) {
        double sum = 0;
        for (int y = 0; y < 480; ++y) {
            const Rgb &p = l.at(lx, y), &q = r.at(rx, y);
            sum += std::abs(p.r - q.r) + std::abs(p.g - q.g) + std::abs(p.b - q.b);
        }
        return sum / 480;
    };
    double inside = 0;
    for (int x = 600; x < 639; ++x) inside += columnStep(a, x, a, x + 1) / 39;
    EXPECT_LE(columnStep(a, 639, b, 0), 2 * inside + 4);
    // And the scene is a picture, not a flat fill.
    EXPECT_GT(inside, 2.0);
}

TEST(Assets, TreeStandsOnTheGroundFullOfLeaves) {
    Picture tree = ReadBmp("baum.bmp");
    ASSERT_EQ(tree.width, 344);
    int ink = 0, bottom = 0;
    bool openSides = true;
    for (int y = 0; y < tree.height; ++y) {
        for (int x = 0; x < tree.width; ++x) {
            bool solid = !(tree.at(x, y) == WHITE);
            ink += solid;
            if (solid && (x == 0 || x == tree.width - 1 || y == 0)) openSides = false;
            if (solid && y == tree.height - 1) ++bottom;
        }
    }
    EXPECT_TRUE(openSides) << "the tree touches the top, left or right border";
    EXPECT_GT(bottom, 40) << "the trunk reaches the ground";
    EXPECT_GT(ink, tree.width * tree.height * 2 / 5) << "a crown birds can hide behind";
}

TEST(Assets, CursorIsCentredOnItsHotSpot) {
    Picture c = ReadBmp("cursor.bmp");
    ASSERT_EQ(c.width, 50);
    EXPECT_FALSE(c.at(25, 25) == BLACK);
    for (int y = 1; y < 50; ++y) {
        for (int x = 1; x < 50; ++x) {
            bool here = !(c.at(x, y) == BLACK);
            EXPECT_EQ(here, !(c.at(50 - x, y) == BLACK)) << x << "," << y;
            EXPECT_EQ(here, !(c.at(x, 50 - y) == BLACK)) << x << "," << y;
        }
    }
}

TEST(Assets, FontTableMatchesTheGlyphSheet) {
    std::ifstream des("font.des");
    int count = 0, cw = 0, ch = 0;
    ASSERT_TRUE(des >> count >> cw >> ch);
    EXPECT_EQ(cw, 15);
    EXPECT_TRUE(ch >= 20 && ch <= 28);
    ASSERT_TRUE(count > 0 && count <= 100);
    Picture sheet = ReadBmp("font.bmp");
    ASSERT_TRUE(sheet.width % cw == 0 && sheet.height % ch == 0);
    std::map<int, std::pair<int, int>> glyphs;
    std::vector<bool> used(size_t(sheet.width / cw) * (sheet.height / ch), false);
    for (int i = 0; i < count; ++i) {
        int code = -1, row = -1, col = -1;
        ASSERT_TRUE(des >> code >> row >> col) << "entry " << i;
        ASSERT_TRUE(row >= 0 && col >= 0 && (col + 1) * cw <= sheet.width &&
                    (row + 1) * ch <= sheet.height);
        EXPECT_EQ(glyphs.count(code), 0u) << "character " << code << " listed twice";
        glyphs[code] = {row, col};
        used[size_t(row) * (sheet.width / cw) + col] = true;
        CellInk ink = InkOf(sheet, col * cw, row * ch, cw, ch, BLACK);
        EXPECT_EQ(ink.count > 0, code != ' ') << "glyph " << code;
        EXPECT_FALSE(ink.onBorder) << "glyph " << code << " runs into the next cell";
    }
    std::string needed = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 .-";
    needed += char(214);
    for (char c : needed)
        EXPECT_EQ(glyphs.count(static_cast<unsigned char>(c)), 1u)
            << "missing " << int(static_cast<unsigned char>(c));
    for (size_t cell = 0; cell < used.size(); ++cell) {
        int col = int(cell) % (sheet.width / cw), row = int(cell) / (sheet.width / cw);
        if (!used[cell]) {
            EXPECT_EQ(InkOf(sheet, col * cw, row * ch, cw, ch, BLACK).count, 0) << "cell " << cell;
        }
    }
}

TEST(Assets, SoundsArePlainShortCleanPcm) {
    for (const char* name : {"shot.wav", "load.wav"}) {
        Wave w = ReadWav(name);
        EXPECT_EQ(w.format, 1) << name;
        EXPECT_EQ(w.bits, 16) << name;
        ASSERT_TRUE(w.channels >= 1 && w.rate >= 8000) << name;
        double seconds = double(w.samples.size()) / w.channels / w.rate;
        EXPECT_TRUE(seconds > 0.1 && seconds < 1.5) << name << " lasts " << seconds;
        int peak = 0;
        double energy = 0;
        for (int16_t s : w.samples) {
            peak = std::max(peak, std::abs(int(s)));
            energy += double(s) * s;
        }
        EXPECT_LT(peak, 32000) << name << " clips";
        EXPECT_GT(peak, 12000) << name << " is too quiet";
        EXPECT_GT(std::sqrt(energy / double(w.samples.size())), 500.0) << name;
        EXPECT_LT(std::abs(int(w.samples.front())), 2000) << name << " starts with a click";
        EXPECT_LT(std::abs(int(w.samples.back())), 2000) << name << " ends with a click";
    }
}

TEST(Assets, MusicParsesAndEveryNoteEnds) {
    MidiSummary m = ReadMidi("tavok.mid");
    ASSERT_TRUE(m.parsed) << "tavok.mid does not parse to the end of every track";
    EXPECT_EQ(m.strayOffs, 0) << "note-offs without a note";
    EXPECT_EQ(m.stillSounding, 0) << "notes that never end";
    // Melody, chords, bass and drums: several instruments and the percussion channel.
    EXPECT_TRUE(m.channelUsed[9]);
    EXPECT_GE(std::count(m.channelUsed.begin(), m.channelUsed.end(), true), 4);
    EXPECT_GE(m.programs, 3);
    EXPECT_GT(m.notes, 500);
    EXPECT_TRUE(m.seconds >= 60 && m.seconds <= 130) << "music lasts " << m.seconds << " s";
}

}  // namespace
