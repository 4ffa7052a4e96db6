#pragma once

// Every count file of a folder read straight into the count table's layout, for real data
// larger than the table takes at present.

#include <algorithm>
#include <filesystem>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/annual/AnnualFigures.h"
#include "core/table/CountFileReader.h"

namespace ostrilo::test {

// Names, dates and records in the order the count table gives them: first appearance, files in
// name order, a later line replacing an earlier one.
struct FolderCounts {
  std::vector<std::string> names;
  std::vector<DateNumber> dates;
  std::vector<std::int16_t> volumes;
  std::vector<HourMask> counted;

  [[nodiscard]] CountView view() const { return {names, dates, volumes, counted}; }
  [[nodiscard]] std::int32_t station(std::string_view name) const {
    return static_cast<std::int32_t>(std::find(names.begin(), names.end(), name) - names.begin());
  }
};

inline FolderCounts readCountFolder(const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() == ".dat") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  std::vector<std::string> texts;
  texts.reserve(files.size());
  std::vector<CountLine> lines;
  for (const auto& file : files) {
    texts.push_back(readWholeFile(file.string()));
    const auto parsed = parseCountFile(texts.back(), file.string());
    lines.insert(lines.end(), parsed.begin(), parsed.end());
  }
  FolderCounts counts;
  std::unordered_map<std::string, std::size_t> nameIndex;
  std::unordered_map<DateNumber, std::size_t> dateIndex;
  for (const CountLine& line : lines) {
    if (nameIndex.emplace(std::string(line.name), counts.names.size()).second) {
      counts.names.emplace_back(line.name);
    }
    if (dateIndex.emplace(line.date, counts.dates.size()).second) counts.dates.push_back(line.date);
  }
  const std::size_t records = counts.names.size() * counts.dates.size();
  counts.volumes.assign(records * kHoursPerDay, 0);
  counts.counted.assign(records, 0);
  for (const CountLine& line : lines) {
    const std::size_t record =
        dateIndex[line.date] * counts.names.size() + nameIndex[std::string(line.name)];
    const int first = line.firstHalf ? 0 : 12;
    std::copy(line.volumes.begin(), line.volumes.end(),
              counts.volumes.begin() + static_cast<std::ptrdiff_t>(record * kHoursPerDay) + first);
    counts.counted[record] |= HourMask{0xFFF} << first;
  }
  return counts;
}

}  // namespace ostrilo::test
