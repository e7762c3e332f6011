// Problems on the browser's console; one that ends the game is also written on the page in
// place of the picture, naming the file and what is wrong, as the message box does natively.
#include "platform/report.h"

#include <emscripten.h>

#include <cstdio>

EM_JS(void, WebShowProblem, (const char* text),
      { sidescrollerPage.showProblem(UTF8ToString(text)); });

void ReportProblem(const char* text) {
    std::printf("Sidescroller: %s\n", text);
}

void ReportFatal(const char* text) {
    ReportProblem(text);
    WebShowProblem(text);
}
