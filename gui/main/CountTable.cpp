#include "gui/main/CountTable.h"

#include <memory>

#include "core/table/ATRTable.h"

namespace ostrilo {

namespace {
std::unique_ptr<ATRTable>& holder() {
  static std::unique_ptr<ATRTable> table;
  return table;
}
}  // namespace

ATRTable& countTable() {
  auto& table = holder();
  if (!table) table = std::make_unique<ATRTable>();
  return *table;
}

void releaseCountTable() { holder().reset(); }

}  // namespace ostrilo
