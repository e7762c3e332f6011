// "high.dat" is kept in the browser's storage: the page links it into the working folder
// from a folder that Emscripten's IDBFS keeps in IndexedDB. A save is the same replacement
// as on every system (the whole table in a temporary file, renamed over the old one), and
// the folder is then written back to the storage, whole.
#include "platform/files.h"

#include <emscripten.h>

// The POSIX implementation, built under this name for the browser.
const char* PosixFinishFileReplacement(FileReplacement* replacement);

EM_JS(void, WebKeepSaves, (), { sidescrollerPage.keepSaves(); });

const char* FinishFileReplacement(FileReplacement* replacement) {
    const char* problem = PosixFinishFileReplacement(replacement);
    if (!problem) WebKeepSaves();
    return problem;
}
