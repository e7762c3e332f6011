// The file layer's word that a game file is being written anew, for whoever listens
// (platform/common/online.h); nobody does unless the game plays online.
#include "platform/common/online.h"

namespace {

FileReplacedHook fileReplaced = nullptr;

}  // namespace

void SetFileReplacedHook(FileReplacedHook hook) {
    fileReplaced = hook;
}

void FileReplaced(const char* gameName) {
    if (fileReplaced) fileReplaced(gameName);
}
