// asset-generator OUTPUT_FOLDER: writes OUTPUT_FOLDER/data/*, OUTPUT_FOLDER/font.des and the
// desktop icons in OUTPUT_FOLDER/packaging/icons.
// Run it from the repository root with "." to refresh the committed files.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>

#include "assets.h"

namespace {

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    if (!out) throw std::runtime_error("cannot write " + path);
}

void Generate(const std::filesystem::path& root) {
    std::filesystem::path data = root / "data";
    std::filesystem::create_directories(data);
    auto bmp = [&](const char* name, const Image& image) {
        WriteBmp(image, (data / name).string());
    };

    Image landscape = PaintLandscape();
    bmp("side1.bmp", Crop(landscape, 0, 0, 640, 480));
    bmp("side2.bmp", Crop(landscape, 640, 0, 640, 480));
    bmp("baum.bmp", PaintTree(landscape));

    Image menu = PaintMenuBackground(landscape);
    bmp("menu.bmp", menu);
    bmp("high.bmp", PaintHighScorePanel(menu));
    bmp("logo.bmp", PaintLogo());
    bmp("newgame.bmp", PaintButtonSheet("NEUES SPIEL", menu, 90));
    bmp("beenden.bmp", PaintButtonSheet("BEENDEN", menu, 180));
    bmp("credits.bmp", PaintButtonSheet("CREDITS", menu, 270));
    bmp("highscore.bmp", PaintButtonSheet("HIGHSCORE", menu, 360));

    bmp("kralo.bmp", PaintBirdSheet(BirdKind::Big, false));
    bmp("kralo2.bmp", PaintBirdSheet(BirdKind::Big, true));
    bmp("pelko.bmp", PaintBirdSheet(BirdKind::Small, false));
    bmp("pelko2.bmp", PaintBirdSheet(BirdKind::Small, true));
    bmp("plane.bmp", PaintPlaneSheet());
    bmp("para.bmp", PaintParaSheet());
    bmp("cursor.bmp", PaintCursor());
    bmp("ammo.bmp", PaintCartridge());

    bmp("font.bmp", PaintFontSheet());
    WriteText((root / "font.des").string(), FontDescription());

    WriteShotSound((data / "shot.wav").string());
    WriteReloadSound((data / "load.wav").string());
    WriteMusic((data / "tavok.mid").string());

    WriteIcons(root / "packaging" / "icons" / "hicolor", "sidescroller");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    try {
        Generate(argv[1]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "asset-generator: %s\n", e.what());
        return 1;
    }
    return 0;
}
