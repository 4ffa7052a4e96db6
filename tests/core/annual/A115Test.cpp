#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/charts/WeeklyProfile.h"
#include "core/export/YearExports.h"
#include "tests/support/SelectionTestSupport.h"

namespace ostrilo {
namespace {

// B478's average week over 2023, from its valid days in plain loops.
TEST(Berlin2023, WeeklyProfileOfB478) {
  const ATRTable* table = &test::berlin2023();
  const std::int32_t b478 = table->ulstName().Index("B478");
  PlotSelection selection;
  selection.stations = test::listOf(table->StaCount(), {b478});
  selection.dates.selected.assign(static_cast<std::size_t>(table->DateCount()), true);
  const CheckResults checks = runDataChecks(*table);
  const WeeklyProfileChart chart = weeklyProfileChart(*table, selection, checks);
  ASSERT_EQ(chart.stations.size(), 1u);
  const std::vector<bool> critical = checks.criticalDays();
  double sum[7][24] = {};
  int n[7] = {};
  for (std::int32_t d = 0; d < table->DateCount(); ++d) {
    const auto total = table->CompleteDailyVol(d, b478);
    if (!total || *total <= 0 || critical[std::size_t(table->StaCount()) * d + b478]) continue;
    const int k = (weekday(table->DatebyIndex(d)) + 5) % 7;
    const auto v = table->VolArrByIndex(d, b478);
    for (int h = 0; h < 24; ++h) sum[k][h] += v[h];
    ++n[k];
  }
  for (int k = 0; k < 7; ++k) {
    for (int h = 0; h < 24; ++h) {
      const ProfileCell& cell = chart.stations[0].cells[k][h];
      EXPECT_EQ(cell.n, n[k]);
      EXPECT_NEAR(cell.mean.value_or(-1), sum[k][h] / n[k], 1e-9);
    }
  }
  char line[64];
  std::snprintf(line, sizeof line, "\nB478,3,8,%.0f,%d\n", sum[2][8] / n[2], n[2]);
  EXPECT_NE(BuildProfileCsvText(chart).find(line), std::string::npos) << line;
}

}  // namespace
}  // namespace ostrilo
