// Runs a program and prints, on standard error, its wall time, user and system CPU time in
// seconds and its peak memory (max RSS) in KiB: "wall <s> user <s> sys <s> maxrss <KiB>".
// GNU time rounds CPU time to 10 ms, too coarse for a run that spends a few ms of CPU; the
// rusage that wait4 returns is exact to the microsecond. Exits with the program's code.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

namespace {

double Seconds(const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; }

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: run_usage <program> [arguments...]\n");
    return 2;
  }
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child < 0) {
    std::perror("run_usage: fork");
    return 2;
  }
  if (child == 0) {
    execvp(argv[1], argv + 1);
    std::perror("run_usage: exec");
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  if (wait4(child, &status, 0, &usage) != child) {
    std::perror("run_usage: wait4");
    return 2;
  }
  const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
  std::fprintf(stderr, "wall %.6f user %.6f sys %.6f maxrss %ld\n", wall.count(),
               Seconds(usage.ru_utime), Seconds(usage.ru_stime), usage.ru_maxrss);
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  return 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
}
