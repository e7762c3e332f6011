// What verifying a handed-in recording costs: the CPU of each verification (the server's
// thread and its forked child together) over many runs of each recording, as median, p99
// and mean; and how many verified games a second the machine sustains with several threads
// verifying at once.
//   verify_bench GAME_FOLDER RUNS THREADS SECONDS [--full] RECORDING...
#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "server/verify/verify.h"

namespace {

double ThreadCpuMs() {
    struct timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

double ChildrenCpuMs() {
    struct rusage u;
    getrusage(RUSAGE_CHILDREN, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 +
           (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

double WallMs() {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 6) {
        std::fprintf(
            stderr, "usage: verify_bench GAME_FOLDER RUNS THREADS SECONDS [--full] RECORDING...\n");
        return 2;
    }
    std::string error;
    if (!verify::LoadGame(argv[1], &error)) {
        std::fprintf(stderr, "verify_bench: %s\n", error.c_str());
        return 1;
    }
    int runs = std::atoi(argv[2]);
    int threads = std::atoi(argv[3]);
    double seconds = std::atof(argv[4]);
    verify::Limits limits;
    int first = 5;
    if (std::string(argv[5]) == "--full") {
        limits.fast = false;
        first = 6;
    }
    std::vector<std::string> texts;
    for (int i = first; i < argc; ++i) {
        std::ifstream in(argv[i], std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        texts.push_back(text.str());
    }
    // One thread alone: the CPU of each verification. The children's CPU is counted as each
    // is reaped, so one verification at a time keeps the two apart.
    for (size_t r = 0; r < texts.size(); ++r) {
        std::vector<double> cpu;
        double parentTotal = 0;
        size_t games = 0;
        for (int run = 0; run < runs; ++run) {
            double self = ThreadCpuMs(), children = ChildrenCpuMs();
            std::vector<verify::FinishedGame> finished;
            verify::Refusal refusal;
            if (!verify::VerifyRecording(texts[r], limits, &finished, &refusal)) {
                std::fprintf(stderr, "verify_bench: %s: %s\n", argv[first + r],
                             refusal.error.c_str());
                return 1;
            }
            games = finished.size();
            parentTotal += ThreadCpuMs() - self;
            cpu.push_back(ThreadCpuMs() - self + ChildrenCpuMs() - children);
        }
        std::sort(cpu.begin(), cpu.end());
        double mean = 0;
        for (double c : cpu) mean += c;
        mean /= cpu.size();
        size_t p99 = std::min(cpu.size() - 1, static_cast<size_t>(cpu.size() * 0.99));
        std::printf(
            "%s: %zu bytes, %zu games: CPU a verification over %d runs: median %.1f ms, "
            "p99 %.1f ms, mean %.1f ms (the server's thread %.1f ms of it)\n",
            argv[first + r], texts[r].size(), games, runs, cpu[cpu.size() / 2], cpu[p99], mean,
            parentTotal / runs);
    }
    // Several threads at once, for the sustained rate.
    std::atomic<long> verified{0}, games{0};
    std::atomic<bool> stop{false};
    std::vector<std::thread> workers;
    double start = WallMs();
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&, t] {
            for (size_t i = t; !stop; ++i) {
                std::vector<verify::FinishedGame> finished;
                verify::Refusal refusal;
                if (verify::VerifyRecording(texts[i % texts.size()], limits, &finished, &refusal)) {
                    ++verified;
                    games += static_cast<long>(finished.size());
                }
            }
        });
    }
    while (WallMs() - start < seconds * 1000)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    stop = true;
    for (std::thread& w : workers) w.join();
    double took = (WallMs() - start) / 1000;
    std::printf(
        "%d threads for %.1f s: %ld recordings verified (%.1f a second), %ld games "
        "(%.1f a second)\n",
        threads, took, verified.load(), verified / took, games.load(), games / took);
    return 0;
}
