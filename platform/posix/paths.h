// Paths on a POSIX system, as the game's writes and the recorder's checks both see them.
#pragma once

#include <string>

// A file is replaced through "NAME.tmp.XXXXXX" beside it (platform/files.h).
constexpr char TEMP_INFIX[] = ".tmp.";

// The folder of a path ("." for a bare name, "/" at the root) and its last part.
std::string FolderOf(const std::string& path);
std::string BaseOf(const std::string& path);
// The file a chain of links ends at, which need not exist yet; the path itself when it is
// no link. A relative link is read from the folder of the link.
std::string FollowLinks(std::string path);
