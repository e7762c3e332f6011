#include "platform/report.h"

#include <cstdio>

void ReportProblem(const char* text) {
    std::fprintf(stderr, "Sidescroller: %s\n", text);
}

void ReportFatal(const char* text) {
    ReportProblem(text);
}
