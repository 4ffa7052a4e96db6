#pragma once

#include <filesystem>
#include <string>

namespace ostrilo::bench {

// The largest count file the piece limit allows: 100 stations x 163 days give 16,300 records in
// 32,600 lines (32,601 pieces with the one after the final line break). Two such files, the
// second holding the following 163 days, fill a table to 32,600 records, just below the 32,767
// record limit.
inline constexpr int kStations = 100;
inline constexpr int kDaysPerFile = 163;

// The fullest table of whole days for those stations: 100 x 327 = 32,700 records (32,701 with
// the spare one), while 328 days would pass the 32,767 record limit. Its 65,400 lines need both
// files at 32,700 lines each: the first holds days 1-164 of stations 1-50 and days 1-163 of
// stations 51-100, the second day 164 onwards of stations 51-100 and day 165 onwards of stations
// 1-50. Stations and dates still enter the table in order.
inline constexpr int kLimitDays = 327;

enum class InputSet {
  TwoHalves,  // kDaysPerFile days per file: 32,600 records
  FullLimit,  // kLimitDays days over both files: 32,700 records
};

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

 private:
  std::filesystem::path m_folder;
  std::string m_first;
  std::string m_second;
};

// /proc/self/status fields in bytes (VmRSS, VmHWM); 0 when the field cannot be read.
[[nodiscard]] long long procStatusBytes(const char* field);

}  // namespace ostrilo::bench
