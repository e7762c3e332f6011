// The walls are put up in the child just after the fork, before it reads anything of the
// recording. The filter allows by default and refuses by name: the game's code makes only
// ordinary calls, and a call left out of a list of allowed ones would end a legal replay.
#include "server/verify/sandbox.h"

#include <fcntl.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sched.h>
#include <seccomp.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <vector>

namespace verify {

namespace {

bool Fail(std::string* why, const char* what) {
    *why = std::string(what) + ": " + std::strerror(errno);
    return false;
}

// The address space the process already holds, inherited from the server.
uint64_t CurrentAddressSpace() {
    FILE* statm = std::fopen("/proc/self/statm", "r");
    unsigned long long pages = 0;
    if (statm) {
        if (std::fscanf(statm, "%llu", &pages) != 1) pages = 0;
        std::fclose(statm);
    }
    return pages * static_cast<uint64_t>(sysconf(_SC_PAGESIZE));
}

bool Limit(int resource, uint64_t value, std::string* why, const char* what) {
    struct rlimit limit = {value, value};
    return setrlimit(resource, &limit) == 0 || Fail(why, what);
}

// The names of the calls refused outright, with the errno they answer.
struct Refused {
    int call;
    int error;
};

// The filter as the kernel takes it, made once: each child only loads it.
std::vector<sock_filter> program;
std::once_flag programMade;

void MakeProgram() {
    scmp_filter_ctx filter = seccomp_init(SCMP_ACT_ALLOW);
    if (!filter) return;
    const Refused refused[] = {
        // No network, and no other way out of the process.
        {SCMP_SYS(socket), EACCES},
        {SCMP_SYS(socketpair), EACCES},
        {SCMP_SYS(connect), EACCES},
        {SCMP_SYS(bind), EACCES},
        {SCMP_SYS(listen), EACCES},
        {SCMP_SYS(accept), EACCES},
        {SCMP_SYS(accept4), EACCES},
        {SCMP_SYS(sendto), EACCES},
        {SCMP_SYS(sendmsg), EACCES},
        {SCMP_SYS(execve), EPERM},
        {SCMP_SYS(execveat), EPERM},
        {SCMP_SYS(fork), EPERM},
        {SCMP_SYS(vfork), EPERM},
        {SCMP_SYS(clone), EPERM},
        {SCMP_SYS(clone3), ENOSYS},
        {SCMP_SYS(kill), EPERM},
        {SCMP_SYS(ptrace), EPERM},
        {SCMP_SYS(process_vm_readv), EPERM},
        {SCMP_SYS(process_vm_writev), EPERM},
        {SCMP_SYS(unshare), EPERM},
        {SCMP_SYS(setns), EPERM},
        {SCMP_SYS(mount), EPERM},
        {SCMP_SYS(chroot), EPERM},
        {SCMP_SYS(bpf), EPERM},
        {SCMP_SYS(perf_event_open), EPERM},
        {SCMP_SYS(setrlimit), EPERM},
        {SCMP_SYS(prlimit64), EPERM},
        // Nothing on the disk made, changed or removed: the game's saves fail as on a
        // read-only disk, which it survives, and the scores come from the table in memory.
        {SCMP_SYS(creat), EACCES},
        {SCMP_SYS(openat2), ENOSYS},
        {SCMP_SYS(rename), EACCES},
        {SCMP_SYS(renameat), EACCES},
        {SCMP_SYS(renameat2), EACCES},
        {SCMP_SYS(unlink), EACCES},
        {SCMP_SYS(unlinkat), EACCES},
        {SCMP_SYS(mkdir), EACCES},
        {SCMP_SYS(mkdirat), EACCES},
        {SCMP_SYS(rmdir), EACCES},
        {SCMP_SYS(link), EACCES},
        {SCMP_SYS(linkat), EACCES},
        {SCMP_SYS(symlink), EACCES},
        {SCMP_SYS(symlinkat), EACCES},
        {SCMP_SYS(mknod), EACCES},
        {SCMP_SYS(mknodat), EACCES},
        {SCMP_SYS(truncate), EACCES},
        {SCMP_SYS(chmod), EACCES},
        {SCMP_SYS(fchmodat), EACCES},
        {SCMP_SYS(chown), EACCES},
        {SCMP_SYS(fchownat), EACCES},
        {SCMP_SYS(lchown), EACCES},
        {SCMP_SYS(utimensat), EACCES},
    };
    bool ok = true;
    for (const Refused& r : refused) {
        ok = ok && seccomp_rule_add(filter, SCMP_ACT_ERRNO(r.error), r.call, 0) == 0;
    }
    // Opening for anything but reading: any of these flags refuses the open.
    for (unsigned flag : {O_WRONLY, O_RDWR, O_CREAT, O_TRUNC, O_APPEND}) {
        ok = ok &&
             seccomp_rule_add(filter, SCMP_ACT_ERRNO(EACCES), SCMP_SYS(open), 1,
                              SCMP_A1(SCMP_CMP_MASKED_EQ, flag, flag)) == 0 &&
             seccomp_rule_add(filter, SCMP_ACT_ERRNO(EACCES), SCMP_SYS(openat), 1,
                              SCMP_A2(SCMP_CMP_MASKED_EQ, flag, flag)) == 0;
    }
    int fd = ok ? memfd_create("seccomp", MFD_CLOEXEC) : -1;
    if (fd >= 0 && seccomp_export_bpf(filter, fd) == 0) {
        off_t size = lseek(fd, 0, SEEK_END);
        std::vector<sock_filter> made(static_cast<size_t>(size) / sizeof(sock_filter));
        size_t bytes = made.size() * sizeof(sock_filter);
        if (size > 0 && pread(fd, made.data(), bytes, 0) == static_cast<ssize_t>(bytes)) {
            program = std::move(made);
        }
    }
    if (fd >= 0) close(fd);
    seccomp_release(filter);
}

bool Filter(std::string* why) {
    PrepareSandbox();
    if (program.empty()) {
        *why = "the system-call filter cannot be made";
        return false;
    }
    sock_fprog loaded = {static_cast<unsigned short>(program.size()), program.data()};
    // No new privileges, so that a user who is not root may load it.
    if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 ||
        prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &loaded) != 0) {
        return Fail(why, "the system-call filter cannot be loaded");
    }
    return true;
}

bool StartCpuTimer(uint32_t cpuMs, std::string* why) {
    // Its default action ends the process; the parent reads the signal as the budget spent.
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigaction(SIGXCPU, &action, nullptr);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGXCPU);
    sigprocmask(SIG_UNBLOCK, &set, nullptr);
    struct sigevent event = {};
    event.sigev_notify = SIGEV_SIGNAL;
    event.sigev_signo = SIGXCPU;
    timer_t timer;
    if (timer_create(CLOCK_PROCESS_CPUTIME_ID, &event, &timer) != 0) {
        return Fail(why, "timer_create");
    }
    struct itimerspec when = {};
    when.it_value.tv_sec = cpuMs / 1000;
    when.it_value.tv_nsec = static_cast<long>(cpuMs % 1000) * 1000000;
    // Fires again if the first is missed, so the process never runs on unbounded.
    when.it_interval.tv_nsec = 10 * 1000000;
    if (timer_settime(timer, 0, &when, nullptr) != 0) return Fail(why, "timer_settime");
    return true;
}

}  // namespace

void PrepareSandbox() {
    std::call_once(programMade, MakeProgram);
}

bool EnterSandbox(int keepFd, const SandboxLimits& limits, std::string* why) {
    // Moved above the numbers used below first, so that no step overwrites another's file.
    int kept = fcntl(keepFd, F_DUPFD, 16);
    int null = open("/dev/null", O_RDWR);
    if (kept < 0 || null < 0) return Fail(why, "the pipe or /dev/null");
    for (int fd = 0; fd < 3; ++fd) {
        if (dup2(null, fd) < 0) return Fail(why, "dup2");
    }
    if (dup2(kept, 3) < 0) return Fail(why, "dup2");
    // Every other file the server had open (its listening socket, its database) is closed.
    if (syscall(SYS_close_range, 4u, ~0u, 0u) != 0) {
        for (int fd = 4; fd < 65536; ++fd) close(fd);
    }
    // Where user namespaces are allowed: a network namespace of its own, without any way out.
    unshare(CLONE_NEWUSER | CLONE_NEWNET);

    uint64_t memory = CurrentAddressSpace() + limits.memoryBytes;
    bool ok = Limit(RLIMIT_AS, memory, why, "RLIMIT_AS") &&
              Limit(RLIMIT_FSIZE, 1 << 20, why, "RLIMIT_FSIZE") &&
              Limit(RLIMIT_NOFILE, 32, why, "RLIMIT_NOFILE") &&
              Limit(RLIMIT_CORE, 0, why, "RLIMIT_CORE") &&
              // A second wall for the CPU, in whole seconds, should the timer be missed.
              Limit(RLIMIT_CPU, limits.cpuMs / 1000 + 2, why, "RLIMIT_CPU") &&
              StartCpuTimer(limits.cpuMs, why) && Filter(why);
    return ok;
}

}  // namespace verify
