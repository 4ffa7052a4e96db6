#include "core/table/AvailableMemory.h"

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <initializer_list>
#include <sstream>

namespace ostrilo {

namespace {

// The value of a "Name:   123 kB" line of a /proc file, in bytes; -1 when it is not there.
std::int64_t procField(const char* file, std::string_view name) {
  std::ifstream in(file);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.starts_with(name) || line.size() <= name.size() || line[name.size()] != ':') continue;
    std::istringstream fields(line.substr(name.size() + 1));
    std::int64_t value = -1;
    std::string unit;
    fields >> value >> unit;
    return unit == "kB" ? value * 1024 : value;
  }
  return -1;
}

std::int64_t numberIn(const std::string& file) {
  std::ifstream in(file);
  std::int64_t value = -1;
  if (!(in >> value)) return -1;  // "max" and a missing file alike: no limit
  return value;
}

// What a limit leaves once the usage is taken off; -1 for no limit.
std::int64_t leftUnder(std::int64_t limit, std::int64_t used) {
  if (limit < 0) return -1;
  return std::max<std::int64_t>(limit - std::max<std::int64_t>(used, 0), 0);
}

std::int64_t leftUnderRlimit(int resource, std::string_view usage) {
  rlimit limit{};
  if (::getrlimit(resource, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return -1;
  return leftUnder(static_cast<std::int64_t>(limit.rlim_cur),
                   procField("/proc/self/status", usage));
}

// cgroup v2: the process's group is the "0::/path" line; a limit anywhere above binds too.
std::int64_t leftUnderCgroups() {
  std::ifstream in("/proc/self/cgroup");
  std::string line;
  std::string group;
  while (std::getline(in, line)) {
    if (line.starts_with("0::")) group = line.substr(3);
  }
  std::int64_t least = -1;
  while (!group.empty()) {
    const std::string folder = "/sys/fs/cgroup" + (group == "/" ? std::string() : group);
    const std::int64_t left =
        leftUnder(numberIn(folder + "/memory.max"), numberIn(folder + "/memory.current"));
    if (left >= 0) least = least < 0 ? left : std::min(least, left);
    if (group == "/") break;
    const std::size_t slash = group.find_last_of('/');
    group = slash == 0 ? "/" : group.substr(0, slash);
  }
  return least;
}

std::int64_t least(std::initializer_list<std::int64_t> figures) {
  std::int64_t smallest = -1;
  for (const std::int64_t bytes : figures) {
    if (bytes >= 0) smallest = smallest < 0 ? bytes : std::min(smallest, bytes);
  }
  return smallest;
}

std::int64_t leftUnderProcessLimits() {
  return least({leftUnderRlimit(RLIMIT_AS, "VmSize"), leftUnderRlimit(RLIMIT_DATA, "VmData")});
}

std::int64_t leftInSystem() {
  return least({procField("/proc/meminfo", "MemAvailable"), leftUnderCgroups()});
}

}  // namespace

std::int64_t availableMemoryBytes() { return least({leftInSystem(), leftUnderProcessLimits()}); }

std::int64_t availableMemoryFor(double needs) {
  // One reading per thread, so that threads filling tables side by side need no lock.
  thread_local std::int64_t system = -1;
  thread_local std::chrono::steady_clock::time_point readAt;
  thread_local bool known = false;
  const auto now = std::chrono::steady_clock::now();
  if (!known || now - readAt > std::chrono::milliseconds(100) ||
      (system >= 0 && needs > static_cast<double>(system) / 2)) {
    system = leftInSystem();
    readAt = now;
    known = true;
  }
  return least({system, leftUnderProcessLimits()});
}

std::string memorySizeText(double bytes) {
  if (bytes < 1000) return std::to_string(static_cast<long long>(bytes)) + " bytes";
  const char* units[] = {"kB", "MB", "GB", "TB", "PB"};
  int unit = 0;
  bytes /= 1000;
  while (bytes >= 999.95 && unit < 4) {
    bytes /= 1000;
    ++unit;
  }
  char text[32];
  std::snprintf(text, sizeof text, "%.1f %s", bytes, units[unit]);
  return text;
}

}  // namespace ostrilo
