#include "bench/BenchInputs.h"

#include <stdlib.h>

#include <cerrno>
#include <fstream>
#include <string_view>
#include <system_error>

#include "table/TableFile.h"
#include "tools/countgen/CountGenerator.h"

namespace ostrilo::bench {

BenchInputs::BenchInputs() {
  std::string pattern = (std::filesystem::temp_directory_path() / "ostrilo-bench-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    throw std::system_error(errno, std::generic_category(), "cannot create " + pattern);
  }
  m_folder = pattern;
  try {
    countgen::CountFileRequest request;
    request.firstDate = {2005, 1, 3};
    request.days = kDaysPerFile;
    request.stationCount = kStations;
    request.seed = 1;
    m_first = (m_folder / countgen::countFileName(request.firstDate)).string();
    writeFileAtomically(m_first, countgen::generateCountFile(request));

    request.firstDate = civilFromDate(dateFromCivil(request.firstDate) + kDaysPerFile);
    m_second = (m_folder / countgen::countFileName(request.firstDate)).string();
    writeFileAtomically(m_second, countgen::generateCountFile(request));
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
