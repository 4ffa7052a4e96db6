#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/table/DateNumber.h"
#include "core/table/OutputFile.h"
#include "core/table/UniqueList.h"

namespace ostrilo {

// The content of a table file: three array records (dates, station names, hourly volumes),
// little-endian, written one after the other with no header.
struct TableFileContent {
  DateList dates;
  NameList names;
  std::vector<std::int16_t> volumes;  // 24 per record, record after record
};

// The bytes of a table file. The volume record's bound entries put the hour dimension first.
[[nodiscard]] std::string encodeTableFile(const std::vector<DateNumber>& dates,
                                          const std::vector<std::string>& names,
                                          const std::vector<std::int16_t>& volumes);

// Decodes and checks a table file's bytes before anything is allocated from them. Accepts the
// two bound entries of the volume record in either order and any lower bounds; ignores bytes
// after the third record. Throws BadTableFile for a malformed file, OutOfRange when the volume
// record holds fewer records than stations x dates and Overflow when stations x dates reaches
// 32,767. fileLabel names the file in the descriptions.
[[nodiscard]] TableFileContent decodeTableFile(std::string_view bytes, std::string_view fileLabel);

// The name older callers know writeOutputFile by.
inline void writeFileAtomically(const std::string& path, std::string_view bytes) {
  writeOutputFile(path, bytes);
}

}  // namespace ostrilo
