// Every picture, sound and tune of the game, each made by one procedure.
#pragma once

#include <filesystem>
#include <string>

#include "image.h"

// The landscape, world size 1280 x 480; side1 and side2 are its halves.
Image PaintLandscape();
// The tree in front of everything, seen against the landscape behind it.
Image PaintTree(const Image& landscape);
Image PaintMenuBackground(const Image& landscape);
Image PaintHighScorePanel(const Image& menu);
Image PaintLogo();
// One button's 15 pictures; its edges are mixed into the menu background under it.
Image PaintButtonSheet(const std::string& label, const Image& menu, int buttonY);

enum class BirdKind { Big, Small };
Image PaintBirdSheet(BirdKind kind, bool facingLeft);
// One bird facing right on the 100 x 120 design grid, for pictures that show one.
void DrawBird(cairo_t* cr, BirdKind kind, double phase);
Image PaintPlaneSheet();
Image PaintParaSheet();
Image PaintCursor();
Image PaintCartridge();

// The font sheet and its glyph table in the text form the game reads.
Image PaintFontSheet();
std::string FontDescription();

// The desktop icon as NAME.png in several sizes and NAME.svg, in an icon theme's folders.
void WriteIcons(const std::filesystem::path& hicolor, const std::string& name);

void WriteShotSound(const std::string& path);
void WriteReloadSound(const std::string& path);
void WriteMusic(const std::string& path);

// World placement of the tree: the game draws it at this point.
constexpr int TREE_X = 226;
constexpr int TREE_Y = 78;
constexpr int TREE_WIDTH = 344;
constexpr int TREE_HEIGHT = 402;
