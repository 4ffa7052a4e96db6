#pragma once

// Count-file text, a scratch folder and a full picture of a table, for the tests.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "core/table/ATRTable.h"
#include "core/table/DateNumber.h"
#include "core/table/Error.h"
#include "tests/support/TableSnapshot.h"

namespace ostrilo {
inline void PrintTo(ErrorKind kind, std::ostream* os) { *os << static_cast<int>(kind); }
}  // namespace ostrilo

namespace ostrilo::test {

using Twelve = std::array<int, 12>;

// first, first + step, ...: every hour of a line told apart.
inline Twelve rising(int first, int step = 1) {
  Twelve v{};
  for (std::size_t k = 0; k < 12; ++k) v[k] = first + static_cast<int>(k) * step;
  return v;
}

// A 73-column half-day line: '3', half, mmddyy, blank, station, twelve 5-column volumes.
inline std::string countLine(char half, std::string_view mmddyy, std::string_view station,
                             const Twelve& volumes) {
  std::string line = std::string("3") + half + std::string(mmddyy) + ' ' + std::string(station);
  for (int v : volumes) {
    char field[16];
    std::snprintf(field, sizeof field, "%5d", v);
    line += field;
  }
  return line;
}

// The line with text written over it from the 1-based column on.
inline std::string overwrite(std::string line, std::size_t column, std::string_view text) {
  return line.replace(column - 1, text.size(), text);
}

inline std::string countFile(std::initializer_list<std::string> lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\r\n";
  return text;
}

inline DateNumber day(int year, int month, int dayOfMonth) {
  return dateFromCivil({year, month, dayOfMonth});
}

inline int sum(const HourlyVolumes& v) {
  int total = 0;
  for (auto x : v) total += x;
  return total;
}

inline std::string readBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The names in a folder, sorted: what a failed operation must leave as it found it.
inline std::vector<std::string> sortedEntries(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(folder)) {
    names.push_back(e.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// A fresh folder, removed with everything in it afterwards.
class ScratchDir {
 public:
  ScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "ostrilo-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    m_path = pattern;
  }
  ~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  [[nodiscard]] const std::filesystem::path& path() const { return m_path; }
  [[nodiscard]] std::string file(std::string_view name) const { return (m_path / name).string(); }
  std::string write(std::string_view name, std::string_view bytes) const {
    std::ofstream(file(name), std::ios::binary).write(bytes.data(), std::ssize(bytes));
    return file(name);
  }
  [[nodiscard]] std::vector<std::string> entries() const { return sortedEntries(m_path); }

 private:
  std::filesystem::path m_path;
};

inline void expectSame(const TableSnapshot& before, const TableSnapshot& after) {
  EXPECT_TRUE(before == after) << "the table changed";
}

// The count files of a folder read in order into one table: the first built, the others added.
inline ATRTable tableOfFiles(const std::string& folder, const std::vector<std::string>& names) {
  ATRTable table;
  for (std::size_t i = 0; i < names.size(); ++i) {
    table.setInFile(folder + "/" + names[i]);
    (void)(i == 0 ? table.BuildTable() : table.AddToTable());
  }
  return table;
}

#ifdef OSTRILO_REALDATA_DIR
// The Berlin 2023 year (231 stations, 53 weekly files), read once for the whole test binary:
// the tests that use it only read it.
inline const ATRTable& berlin2023() {
  static const ATRTable table = [] {
    const std::string folder = OSTRILO_REALDATA_DIR "/berlin-2023";
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      if (entry.path().extension() == ".dat") files.push_back(entry.path().filename());
    }
    std::sort(files.begin(), files.end());
    return tableOfFiles(folder, files);
  }();
  return table;
}
#endif

inline Error thrownBy(const std::function<void()>& call) {
  try {
    call();
  } catch (const Error& e) {
    return e;
  }
  ADD_FAILURE() << "threw nothing";
  return Error(ErrorKind::Usage, "no exception");
}

struct CaseName {
  template <typename Param>
  std::string operator()(const ::testing::TestParamInfo<Param>& info) const {
    return info.param.name;
  }
};

}  // namespace ostrilo::test
