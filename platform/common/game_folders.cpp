#include "platform/common/game_folders.h"

#include <filesystem>

#include "platform/report.h"

// Where the installed game's files lie as seen from the program's folder, set by the build
// from the install layout; the program's folder itself is tried next (a build folder, or a
// system where both are installed side by side).
#ifndef GAME_FILES_FROM_PROGRAM
#define GAME_FILES_FROM_PROGRAM "../share/sidescroller"
#endif

namespace {

struct Folders {
    std::string read;   // the game's own files: pictures, sounds, music, "font.des"
    std::string write;  // what the game writes: "high.dat", "log.txt"
};

bool HoldsGameFiles(const std::string& folder) {
    return IsFile(folder + "font.des") && IsFolder(folder + "data");
}

std::string InstalledGameFiles() {
    std::string program = ProgramFolder();
    if (program.empty()) return "";
    std::filesystem::path beside = std::filesystem::path(program) / GAME_FILES_FROM_PROGRAM / "";
    std::string installed = beside.lexically_normal().string();
    if (HoldsGameFiles(installed)) return installed;
    if (HoldsGameFiles(program)) return program;
    return installed;  // missing pictures are then reported with their names
}

bool mayRunInstalled = false;

Folders Decide() {
    if (!mayRunInstalled || HoldsGameFiles("")) return {"", ""};
    Folders folders{InstalledGameFiles(), UserDataFolder()};
    std::string reason;
    if (folders.write.empty()) {
        ReportProblem("no home folder: scores are kept in the working folder");
    } else if (!MakeFolders(folders.write, &reason)) {
        ReportProblem(
            ("cannot make " + folders.write + " (" + reason + "): scores are not kept").c_str());
    }
    return folders;
}

// Whatever the game does not bring with it is its own writing.
bool IsGameFile(const std::string& name) {
    return name == "font.des" || name.rfind("data/", 0) == 0 || name.rfind("data\\", 0) == 0;
}

// Without building a path object: the headless backend places a name at every effect.
bool IsAbsolute(const std::string& name) {
    return name[0] == '/' || name[0] == '\\' || (name.size() > 1 && name[1] == ':');
}

}  // namespace

std::string PlaceGameFile(const std::string& name) {
    if (name.empty() || IsAbsolute(name)) return name;
    // Decided on first use: "font.des" is read before the program's entry runs.
    static const Folders folders = Decide();
    return (IsGameFile(name) ? folders.read : folders.write) + name;
}

void AllowInstalledRun() {
    mayRunInstalled = true;
}
