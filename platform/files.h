// Files of the game, named as the game names them ("data\side1.bmp"). This is the one place
// where such a name becomes a path: in the working folder when it holds the game, otherwise
// the game's own files where the program is installed and what it writes ("high.dat",
// "log.txt") in the player's data folder (platform/common/game_folders.h). A port implements
// each call with exactly the guarantees written beside it; the game relies on nothing more.
#pragma once

#include <cstdio>
#include <string>

// The path of a game name in this system's separators, placed as above (absolute names stay
// as they are): the path as the player sees it, and the one every message about the file shows.
std::string HostPath(const char* gameName);

// Opens a game file with an fopen mode ("rb", "wb", "w+"). Only a regular file is opened:
// links are followed, and a folder, pipe, device or socket is answered like a missing file
// (nullptr, errno ENOENT) without blocking, truncating or otherwise touching it. Any other
// failure answers nullptr with the system's reason in errno.
FILE* OpenGameFile(const char* gameName, const char* mode);

// A game file written anew so that no reader, and no crash at any moment, ever finds it
// empty or partial, however many copies of the game write it at once: the new content
// goes into a temporary file of its own beside the file and is put in its place whole.
// Where several copies replace one file, the last to finish wins.
struct FileReplacement {
    FILE* stream = nullptr;  // open for writing ("wb") between Begin and Finish or Abandon
    std::string target;      // the file replaced, after following links
    std::string temporary;   // the temporary file beside target
};

// Starts replacing the game file. A link is followed, to the end of its chain, and the file
// it names is replaced (the link stays). Answers nullptr with replacement->stream open on a
// new, empty temporary file, or the reason in words and nothing created, when:
// - the file exists but is not a regular file ("not a regular file"),
// - the file exists and is read-only, or cannot be written by this user ("the file is
//   read-only"): such a file is left exactly as it is,
// - the temporary file cannot be created (the system's reason).
// The temporary file lies in the target's folder, under a name no running copy of the game
// uses at the same time, with the target's permission bits (or the usual ones of a new
// file). Temporary files of the same target left behind by a writer that died are removed
// first; those of a writer still running are not touched.
const char* BeginFileReplacement(const char* gameName, FileReplacement* replacement);

// Ends a replacement begun with success: flushes the stream to the disk, puts the temporary
// file in place of the target in one step (a reader sees either the whole old or the whole
// new file), flushes the folder to the disk where the file system allows it, and closes the
// stream. Answers nullptr, or the reason in words; on failure the temporary file is removed
// and the target is as it was.
const char* FinishFileReplacement(FileReplacement* replacement);

// Drops a replacement begun with success: closes the stream and removes the temporary file.
void AbandonFileReplacement(FileReplacement* replacement);
