#include <malloc.h>

#include <iostream>
#include <string>
#include <vector>

#include "cli/CliApp.h"

int main(int argc, char** argv) {
  // A table grows by moving into larger arrays. Left to its defaults, glibc maps each large
  // array afresh and returns it when freed, so every step faults in new pages, and a page fault
  // costs here about what parsing a line does. Kept in the heap, freed arrays are reused.
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
  mallopt(M_TRIM_THRESHOLD, 64 << 20);
  const std::vector<std::string> args(argv + 1, argv + argc);
  return ostrilo::cli::runCli(args, std::cout, std::cerr);
}
