#include "bench/BenchInputs.h"

#include <stdlib.h>

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <string_view>
#include <system_error>

#include "core/table/OutputFile.h"
#include "core/table/TableFile.h"
#include "tools/countgen/CountGenerator.h"

namespace ostrilo::bench {

namespace {

// The text of days [fromDay, fromDay + days) of count stations numbered from firstStation, day 0
// being Monday 2005-01-03; every generated station keeps its own character across the pieces.
std::string countText(int firstStation, int count, int fromDay, int days,
                      CivilDate day0 = CivilDate{2005, 1, 3}) {
  countgen::CountFileRequest request;
  request.firstDate = civilFromDate(dateFromCivil(day0) + fromDay);
  request.days = days;
  request.stationCount = count;
  request.firstStation = firstStation;
  request.seed = 1;
  return countgen::generateCountFile(request);
}

}  // namespace

BenchInputs::BenchInputs(InputSet set) {
  std::string pattern = (std::filesystem::temp_directory_path() / "ostrilo-bench-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    throw std::system_error(errno, std::generic_category(), "cannot create " + pattern);
  }
  m_folder = pattern;
  try {
    if (set == InputSet::Year) {
      const CivilDate monday{2024, 1, 1};
      for (int from = 0; from < kYearDays; from += 7) {
        const std::string path =
            (m_folder / countgen::countFileName(civilFromDate(dateFromCivil(monday) + from)))
                .string();
        writeOutputFile(path,
                        countText(1, kYearStations, from, std::min(7, kYearDays - from), monday));
        m_files.push_back(path);
      }
      m_first = m_files.front();
      m_second = m_files[1];
      return;
    }
    constexpr int kFirst = 101;  // stations "0101" to "0200"
    std::string first;
    std::string second;
    int secondFromDay = kDaysPerFile;
    if (set == InputSet::TwoHalves) {
      first = countText(kFirst, kStations, 0, kDaysPerFile);
      second = countText(kFirst, kStations, kDaysPerFile, kDaysPerFile);
    } else {
      constexpr int kHalf = kStations / 2;
      constexpr int kSplitDay = kLimitDays / 2;  // 163: the one day the files share
      first = countText(kFirst, kHalf, 0, kSplitDay + 1) +
              countText(kFirst + kHalf, kHalf, 0, kSplitDay);
      second = countText(kFirst + kHalf, kHalf, kSplitDay, kLimitDays - kSplitDay) +
               countText(kFirst, kHalf, kSplitDay + 1, kLimitDays - kSplitDay - 1);
      secondFromDay = kSplitDay;
    }
    const CivilDate day0{2005, 1, 3};
    m_first = (m_folder / countgen::countFileName(day0)).string();
    writeOutputFile(m_first, first);
    m_second =
        (m_folder / countgen::countFileName(civilFromDate(dateFromCivil(day0) + secondFromDay)))
            .string();
    writeOutputFile(m_second, second);
    m_files = {m_first, m_second};
  } catch (...) {
    std::error_code ignored;
    std::filesystem::remove_all(m_folder, ignored);
    throw;
  }
}

BenchInputs::~BenchInputs() {
  std::error_code ignored;
  std::filesystem::remove_all(m_folder, ignored);
}

long long procStatusBytes(const char* field) {
  std::ifstream status("/proc/self/status");
  const std::string prefix = std::string(field) + ":";
  for (std::string line; std::getline(status, line);) {
    if (line.starts_with(prefix)) return std::stoll(line.substr(prefix.size())) * 1024;  // "kB"
  }
  return 0;
}

}  // namespace ostrilo::bench
