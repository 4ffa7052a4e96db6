#pragma once

#include <QTreeWidgetItem>
#include <memory>
#include <optional>
#include <utility>

#include "core/annual/AnnualFigures.h"
#include "core/table/ATRTable.h"
#include "core/table/CountView.h"

class QLocale;
class QTreeWidget;

namespace ostrilo {

// The count table the annual windows read and the days their figures leave out (the critical
// days of the main window's analysis, shared with it). The table is the main window's own, not a
// copy: the main window closes its annual windows whenever the table changes. Shared by the
// annual window and the windows it opens.
class AnnualCounts {
 public:
  AnnualCounts(const ATRTable& table, DayExclusion excluded)
      : m_table(table), m_excluded(std::move(excluded)) {}

  [[nodiscard]] const ATRTable& table() const noexcept { return m_table; }
  [[nodiscard]] CountView view() const { return CountView::of(m_table); }
  [[nodiscard]] const DayExclusion& excluded() const noexcept { return m_excluded; }

 private:
  const ATRTable& m_table;
  DayExclusion m_excluded;
};

using SharedCounts = std::shared_ptr<const AnnualCounts>;

// Figure texts of the annual windows, in the display locale: "n/a" where a figure is absent,
// never 0. Vehicles whole (halves to even) and grouped, percentages with 2 decimals, factors
// with 4.
[[nodiscard]] QString naText();
[[nodiscard]] QString vehiclesText(std::optional<double> value, const QLocale& locale);
[[nodiscard]] QString percentText(std::optional<double> value, const QLocale& locale);
[[nodiscard]] QString factorText(std::optional<double> value, const QLocale& locale);
[[nodiscard]] QString monthText(int month0);  // "Jan" for 0
[[nodiscard]] QString dayText(int dow);       // "Mo" for 0

// A list row whose figure columns sort by value, not by text; a figure that is n/a sorts last
// in either direction. Columns without a value sort by text.
class FigureItem : public QTreeWidgetItem {
 public:
  using QTreeWidgetItem::QTreeWidgetItem;

  // Shows text right-aligned and sorts by value; without a value the column shows "n/a".
  void setFigure(int column, std::optional<double> value, const QString& text);

  bool operator<(const QTreeWidgetItem& other) const override;
};

// The given rows of a list as tab-separated lines under its headings, LF line ends; hidden
// columns are left out.
[[nodiscard]] QString tabSeparatedText(const QTreeWidget& list,
                                       const QList<QTreeWidgetItem*>& rows);

}  // namespace ostrilo
