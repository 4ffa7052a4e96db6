// Runs whole processes in turn and reports what each cost: bench/startup.sh's timer. Cases come
// in pairs (a yardstick, then the case measured against it), one a line of the case file as
// "name<TAB>program arg arg ...", arguments split at spaces. Every round runs every case once,
// in file order, so a burst of other work on a shared machine falls on both of a pair alike.
// CPU time (user + system) and peak resident memory come from wait4's resource usage, in
// microseconds and KiB, and real time from the monotonic clock; medians over the rounds.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

struct Case {
  std::string name;
  std::vector<std::string> argv;
  std::vector<double> cpuMs, realMs, peakMiB;
};

std::vector<Case> readCases(const char* path) {
  std::vector<Case> cases;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) {
    const auto tab = line.find('\t');
    if (tab == std::string::npos) continue;
    Case c{line.substr(0, tab), {}, {}, {}, {}};
    std::istringstream words(line.substr(tab + 1));
    for (std::string w; words >> w;) c.argv.push_back(w);
    if (!c.argv.empty()) cases.push_back(std::move(c));
  }
  return cases;
}

bool runOnce(Case& c) {
  std::vector<char*> argv;
  for (auto& a : c.argv) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return false;
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid) return false;
  const auto end = std::chrono::steady_clock::now();
  const auto us = [](const timeval& t) { return t.tv_sec * 1e6 + t.tv_usec; };
  c.cpuMs.push_back((us(usage.ru_utime) + us(usage.ru_stime)) / 1000.0);
  c.realMs.push_back(std::chrono::duration<double, std::milli>(end - start).count());
  c.peakMiB.push_back(usage.ru_maxrss / 1024.0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n == 0 ? 0 : (n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: ostrilo-pair-runner CASE_FILE ROUNDS\n");
    return 2;
  }
  std::vector<Case> cases = readCases(argv[1]);
  const int rounds = std::max(1, std::atoi(argv[2]));
  for (int r = 0; r < rounds; ++r)
    for (Case& c : cases)
      if (!runOnce(c)) {
        std::fprintf(stderr, "ostrilo-pair-runner: \"%s\" failed\n", c.name.c_str());
        return 1;
      }
  std::printf("%-22s %9s %9s %9s   %s\n", "case", "CPU ms", "real ms", "peak MiB",
              "ratio to the line above: CPU, real, memory");
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const Case& c = cases[i];
    std::printf("%-22s %9.1f %9.1f %9.1f", c.name.c_str(), median(c.cpuMs), median(c.realMs),
                median(c.peakMiB));
    if (i % 2 == 1) {
      const Case& y = cases[i - 1];
      std::printf("   %.2fx  %.2fx  %.2fx", median(c.cpuMs) / median(y.cpuMs),
                  median(c.realMs) / median(y.realMs), median(c.peakMiB) / median(y.peakMiB));
    }
    std::printf("\n");
  }
  return 0;
}
