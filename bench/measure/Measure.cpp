// tirvane_measure COMMAND [ARGUMENT...]: runs the command with its output passed through,
// and prints on standard error one line "wall user system peak": seconds of wall-clock
// time, of user and of system processor time, and the peak resident memory in KiB.
//
// bench/compare measures every run through it: a process forked from the Python script
// would start with the script's own resident memory as its peak, this small one does not.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

namespace {

double Seconds(const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: tirvane_measure COMMAND [ARGUMENT...]\n");
        return 64;
    }
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child < 0) {
        std::perror("tirvane_measure: fork");
        return 70;
    }
    if (child == 0) {
        execvp(argv[1], argv + 1);
        std::perror("tirvane_measure: exec");
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) < 0) {
        std::perror("tirvane_measure: wait4");
        return 70;
    }
    const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
    std::fprintf(stderr, "\ntirvane_measure: %.6f %.6f %.6f %ld\n", wall.count(),
                 Seconds(usage.ru_utime), Seconds(usage.ru_stime), usage.ru_maxrss);
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    return 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
}
