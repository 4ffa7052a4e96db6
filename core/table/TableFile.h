#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "core/table/ATRTable.h"
#include "core/table/DateNumber.h"
#include "core/table/OutputFile.h"
#include "core/table/UniqueList.h"

namespace ostrilo {

// The content of a table file: three array records (dates, station names, hourly volumes),
// little-endian, written one after the other with no header, and a fourth with the counted
// hours of every record. A reader that stops after the third reads a table as it always did.
struct TableFileContent {
  DateList dates;
  NameList names;
  std::vector<std::int16_t> volumes;  // 24 per record, record after record
  std::vector<HourMask> counted;      // one per record
};

// The three records that every table file starts with. The volume record's bound entries put
// the hour dimension first.
[[nodiscard]] std::string encodeTableFile(const std::vector<DateNumber>& dates,
                                          const std::vector<std::string>& names,
                                          const std::vector<std::int16_t>& volumes);
// The fourth record: the counted hours, one mask per volume record.
[[nodiscard]] std::string encodeCountedHours(const std::vector<HourMask>& counted);

// Saves all four records through writeOutputFile without copying the volumes.
void saveTableFile(const std::string& path, const std::vector<DateNumber>& dates,
                   const std::vector<std::string>& names, const std::vector<std::int16_t>& volumes,
                   const std::vector<HourMask>& counted);

// Decodes and checks a table file's bytes before anything is allocated from them. Accepts the
// two bound entries of the volume record in either order and any lower bounds. Dates must be
// whole days, each once. Bytes after the third record that do not start a fourth (its tag and
// dimension count) are ignored, and so are bytes after the fourth. A file of three records
// counts a record of 24 zeros as not counted and any other as fully counted. Throws BadTableFile
// for a malformed file (a fourth record that is present but wrong included), OutOfRange when the
// volume record holds fewer records than stations x dates, Overflow when stations x dates passes
// kMaxPairs and OutOfMemory for a table that memory cannot hold. fileLabel names the file in the
// descriptions.
[[nodiscard]] TableFileContent decodeTableFile(std::string_view bytes, std::string_view fileLabel);
// The same for the file at path, which must be a regular file.
[[nodiscard]] TableFileContent loadTableFile(const std::string& path, std::string_view fileLabel);

}  // namespace ostrilo
