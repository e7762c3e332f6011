// The walls around a replay's child process.
#pragma once

#include <cstdint>
#include <string>

namespace verify {

struct SandboxLimits {
    uint32_t cpuMs = 1000;             // CPU time, after which SIGXCPU ends the process
    uint64_t memoryBytes = 256 << 20;  // address space beyond what the process starts with
};

// Makes the system-call filter, once a process: before any fork, so that children only
// load it. EnterSandbox makes it itself when it was not.
void PrepareSandbox();

// Shuts the calling process in: its only open files are /dev/null as standard input, output
// and error, and keepFd moved to 3; its own network namespace where user namespaces are
// available; limits on memory, file size, open files and CPU; and a system-call filter that
// refuses every network socket, every program started, every process made and every file
// opened for writing, made, renamed or removed. Answers false with why when a wall could
// not be put up (the caller must then not go on).
bool EnterSandbox(int keepFd, const SandboxLimits& limits, std::string* why);

}  // namespace verify
