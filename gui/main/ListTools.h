#pragma once

#include <QString>
#include <array>
#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QLocale;
class QPushButton;
class QWidget;

namespace ostrilo {

class DateField;

// A date list entry keeps its calendar day (QDate) under this role.
inline constexpr int kEntryDateRole = 0x0100;  // Qt::UserRole
// ... and its own text, which a holiday's name may follow.
inline constexpr int kEntryTextRole = 0x0100 + 4;  // Qt::UserRole + 4

// True when every blank-separated word of the filter occurs in the text, case ignored; an empty
// filter matches everything.
[[nodiscard]] bool matchesFilter(const QString& text, const QString& filter);

// Selects the visible entries for which `pick` answers true and deselects the other visible
// ones; hidden entries keep their state, so a selection still names the table's own indexes.
void selectVisible(QListWidget& list, const std::function<bool(int row)>& pick);

// The filter text with every date typed in the locale's short format, also at the ends of a
// range "a..b", written as yyyy-mm-dd, the form the date filter reads.
[[nodiscard]] QString isoFilterText(const QString& filter, const QLocale& locale);

// The tools above a pick list: a filter box that hides the entries not matching it, "All" and
// "None" for the visible entries. A station list matches the words in the shown text; a date
// list (dates true) matches them as dates (DateFilter). The caller places the widgets; they
// are children of the page.
class ListFilter {
 public:
  ListFilter(QListWidget& list, QWidget* page, const QString& namePrefix, bool dates = false);

  // Hides what the filter does not match; again after the list was filled anew.
  void apply();

  QLineEdit* text;
  QPushButton* all;
  QPushButton* none;

 private:
  QListWidget& m_list;
  bool m_dates;
};

// "From ... to ..." and the days of the week: "Pick" selects the visible dates in that range
// on a checked day and deselects the other visible ones.
class DateRangePick {
 public:
  DateRangePick(QListWidget& dates, QWidget* page);

  // After the list was filled anew: the range spans its dates and every day is checked.
  void reset(const QLocale& locale);
  void pick();

  QLabel* fromLabel;
  DateField* from;
  QLabel* toLabel;
  DateField* to;
  std::array<QCheckBox*, 7> days;  // Monday first
  QPushButton* pickButton;

 private:
  QListWidget& m_dates;
};

}  // namespace ostrilo
