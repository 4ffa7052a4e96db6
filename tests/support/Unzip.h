#pragma once

// One member of a zip file (an .xlsx workbook is one) as text, read with the unzip tool.

#include <stdio.h>

#include <cstdio>
#include <memory>
#include <string>

namespace ostrilo::test {

inline std::string unzipMember(const std::string& zip, const std::string& member) {
  const std::string command = "unzip -p '" + zip + "' " + member;
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
  std::string text;
  char buffer[4096];
  for (std::size_t n = 0; pipe && (n = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0;) {
    text.append(buffer, n);
  }
  return text;
}

}  // namespace ostrilo::test
