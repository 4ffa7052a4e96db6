#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace ostrilo::test {

// Compares what a test shows with its reviewed copy, tests/data/golden/NAME.txt, and names the
// first line that differs. OSTRILO_UPDATE_GOLDEN=1 rewrites the copy instead; its diff is then
// reviewed like code. The source folder is written as <source>, so a clone elsewhere compares
// the same.
inline void expectGoldenText(const std::string& name, std::string shown) {
  const std::string source = OSTRILO_SOURCE_DIR;
  for (std::size_t at = shown.find(source); at != std::string::npos; at = shown.find(source, at))
    shown.replace(at, source.size(), "<source>");
  const std::string path = source + "/tests/data/golden/" + name + ".txt";
  if (std::getenv("OSTRILO_UPDATE_GOLDEN") != nullptr) {
    std::ofstream out(path, std::ios::binary);
    out << shown << '\n';
    out.close();
    ASSERT_TRUE(out) << "could not rewrite " << path;
    // A run that rewrites the copies compares nothing: it must not pass for one that did.
    GTEST_SKIP() << "rewrote " << path;
  }
  std::ifstream file(path, std::ios::binary);
  ASSERT_TRUE(file) << path;
  std::string copy((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (copy.ends_with('\n')) copy.pop_back();  // the newline the copy was written with
  const auto lines = [](const std::string& text) {
    std::vector<std::string> split;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) split.push_back(line);
    if (text.ends_with('\n')) split.emplace_back();
    return split;
  };
  const std::vector<std::string> want = lines(copy);
  const std::vector<std::string> got = lines(shown);
  // Past the shorter side a line is missing, not empty.
  const auto line = [](const std::vector<std::string>& of, std::size_t i) {
    return i < of.size() ? of[i] : std::string("(no line)");
  };
  for (std::size_t i = 0; i < std::max(want.size(), got.size()); ++i) {
    if (i < want.size() && i < got.size() && want[i] == got[i]) continue;
    ADD_FAILURE() << name << ", line " << i + 1 << ":\n  want: " << line(want, i)
                  << "\n  got:  " << line(got, i)
                  << "\n(OSTRILO_UPDATE_GOLDEN=1 rewrites the copy; review its diff)";
    return;
  }
}

}  // namespace ostrilo::test
