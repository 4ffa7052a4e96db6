#pragma once

#include <string>
#include <vector>

namespace ostrilo {

// A road as the register's `road` column makes it: the stations sharing one road name are its
// directions, in the register's order; a station alone is a one-direction road.
struct Road {
  std::string name;
  std::vector<std::string> stations;
  std::vector<std::string> directions;  // the register's `direction` of each station
  // The register's `split_ok` says the road is tidal or one-way: a day far from 50/50 is
  // expected. Any text but empty, "no", "n", "false" or "0" in any of its stations' rows.
  bool splitOk = false;
};

}  // namespace ostrilo
