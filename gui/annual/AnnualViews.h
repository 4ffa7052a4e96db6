#pragma once

#include <QString>
#include <vector>

#include "core/annual/RoadFigures.h"
#include "core/annual/YearTrend.h"

class QLocale;
class QTreeWidget;

namespace ostrilo {

// Figure lists of the annual window beside its station rows. Each refills the list (headings
// included) with one row per given row, the row's index on column 0 under rowIndexRole(), the
// figures right-aligned and sorting by value with n/a last.
void fillRoadList(QTreeWidget& list, const std::vector<RoadYear>& rows, const QLocale& locale);
void fillTrendList(QTreeWidget& list, const std::vector<TrendYear>& rows, const QLocale& locale);
[[nodiscard]] int rowIndexRole();

// "61.20/38.80": the directions' shares in register order; n/a without a split.
[[nodiscard]] QString splitText(const std::optional<DirectionalSplit>& split,
                                const QLocale& locale);

}  // namespace ostrilo
