#pragma once

#include <QColor>
#include <QDialog>
#include <QPointer>
#include <vector>

class QCPAbstractPlottable;
class QCheckBox;
class QCustomPlot;
class QLineEdit;
class QTableWidget;

namespace ostrilo {

// "ChartEditor1": the title line, both axis titles, the legend, and for every series (graph or
// bars) its title, colour, visibility and line width. OK applies the changes to the chart;
// Cancel leaves the chart as it was.
class ChartEditor : public QDialog {
  Q_OBJECT

 public:
  enum Column { kTitleColumn = 0, kColourColumn, kVisibleColumn, kWidthColumn };

  explicit ChartEditor(QCustomPlot& plot, QWidget* parent = nullptr);

  void accept() override;

  // The colour a series row will get; the row's colour button asks the user for it.
  void setRowColour(int row, const QColor& colour);
  [[nodiscard]] QColor rowColour(int row) const;

  QLineEdit* titleEdit = nullptr;
  QLineEdit* leftAxisEdit = nullptr;
  QLineEdit* bottomAxisEdit = nullptr;
  QCheckBox* legendCheck = nullptr;
  QTableWidget* seriesTable = nullptr;  // one row per series, in the chart's order

 private:
  void addSeriesRow(QCPAbstractPlottable& series);
  void chooseColour(int row);
  void apply();

  QCustomPlot& m_plot;
  std::vector<QPointer<QCPAbstractPlottable>> m_series;
  std::vector<QColor> m_colours;
};

}  // namespace ostrilo
