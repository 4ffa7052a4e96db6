#pragma once

#include <QTreeWidgetItem>
#include <memory>
#include <optional>

#include "core/annual/AnnualFigures.h"
#include "core/table/ATRTable.h"
#include "core/table/CountView.h"

class QLocale;
class QTreeWidget;

namespace ostrilo {

// A copy of the count table taken when an annual window opens, with the days the figures leave
// out (critical data-check flags): a table built or loaded later changes nothing under the open
// windows. Shared by the annual window and the windows it opens.
class CountSnapshot {
 public:
  explicit CountSnapshot(const ATRTable& table);
  CountSnapshot(const CountSnapshot&) = delete;
  CountSnapshot& operator=(const CountSnapshot&) = delete;

  [[nodiscard]] const ATRTable& table() const noexcept { return m_table; }
  [[nodiscard]] const CountView& view() const noexcept { return m_view; }
  [[nodiscard]] const DayExclusion& excluded() const noexcept { return m_excluded; }

 private:
  ATRTable m_table;
  CountView m_view;  // spans into m_table
  DayExclusion m_excluded;
};

using SharedSnapshot = std::shared_ptr<const CountSnapshot>;

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
