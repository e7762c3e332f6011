// A Windows program has no console: what ends the game is said in a message box, and every
// line also goes to the debugger and to stderr, for whoever started it from a console.
#include "platform/report.h"

#include <cstdio>
#include <string>

#include "platform/win32/system.h"

void ReportProblem(const char* text) {
    std::string line = std::string("Sidescroller: ") + text + "\n";
    OutputDebugStringA(line.c_str());
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
}

void ReportFatal(const char* text) {
    ReportProblem(text);
    // The box must be seen: give the desktop its own display mode back first.
    ChangeDisplaySettingsA(nullptr, 0);
    MessageBoxA(nullptr, text, "Sidescroller", MB_OK | MB_ICONERROR | MB_TOPMOST);
}
