#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace ostrilo::bench {

// The reference count file: 100 stations x 163 days give 16,300 records in 32,600 lines. Two
// such files, the second holding the following 163 days, fill a table to 32,600 records.
inline constexpr int kStations = 100;
inline constexpr int kDaysPerFile = 163;

// A table of 100 x 327 = 32,700 records from two files of 32,700 lines each: the first holds
// days 1-164 of stations 1-50 and days 1-163 of stations 51-100, the second day 164 onwards of
// stations 51-100 and day 165 onwards of stations 1-50. Stations and dates still enter the
// table in order.
inline constexpr int kLimitDays = 327;

enum class InputSet {
  TwoHalves,  // kDaysPerFile days per file: 32,600 records
  FullLimit,  // kLimitDays days over both files: 32,700 records
  Year,       // a network's year: kYearStations stations over 2024 (366 days) in 53 weekly files
};

inline constexpr int kYearStations = 1000;
inline constexpr int kYearDays = 366;

// A temporary folder holding the two generated count files; removed with the object.
class BenchInputs {
 public:
  // Generates both files (seed 1, from Monday 2005-01-03) into a new folder under the system's
  // temporary folder (TMPDIR). Throws on any failure.
  explicit BenchInputs(InputSet set = InputSet::TwoHalves);
  ~BenchInputs();
  BenchInputs(const BenchInputs&) = delete;
  BenchInputs& operator=(const BenchInputs&) = delete;

  [[nodiscard]] const std::filesystem::path& folder() const noexcept { return m_folder; }
  [[nodiscard]] const std::string& firstFile() const noexcept { return m_first; }
  [[nodiscard]] const std::string& secondFile() const noexcept { return m_second; }
  // Every file in order: the two above, or the 53 weeks of a year.
  [[nodiscard]] const std::vector<std::string>& files() const noexcept { return m_files; }

 private:
  std::filesystem::path m_folder;
  std::string m_first;
  std::string m_second;
  std::vector<std::string> m_files;
};

// /proc/self/status fields in bytes (VmRSS, VmHWM); 0 when the field cannot be read.
[[nodiscard]] long long procStatusBytes(const char* field);

}  // namespace ostrilo::bench
