#include "gui/charts/ChartEditor.h"

#include <qcustomplot.h>

#include <QCheckBox>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPixmap>
#include <QSpinBox>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "gui/charts/ChartStyle.h"

namespace ostrilo {

namespace {

const QString kLineBreak = QStringLiteral(" | ");

QIcon swatch(const QColor& colour) {
  QPixmap pixmap(16, 16);
  pixmap.fill(colour);
  return QIcon(pixmap);
}

}  // namespace

ChartEditor::ChartEditor(QCustomPlot& plot, QWidget* parent) : QDialog(parent), m_plot(plot) {
  setObjectName(QStringLiteral("ChartEditor1"));
  setWindowTitle(QStringLiteral("Edit Chart"));

  // One line to edit: " | " stands for each line break of the title.
  titleEdit = new QLineEdit(chartTitleText(plot).replace(QLatin1Char('\n'), kLineBreak));
  titleEdit->setToolTip(QStringLiteral("\"%1\" starts a new line").arg(kLineBreak.trimmed()));
  leftAxisEdit = new QLineEdit(plot.yAxis->label());
  bottomAxisEdit = new QLineEdit(plot.xAxis->label());
  legendCheck = new QCheckBox(QStringLiteral("Show legend"));
  legendCheck->setChecked(plot.legend->visible());
  // A chart without series has nothing a legend could list.
  legendCheck->setEnabled(plot.legend->itemCount() > 0);

  seriesTable = new QTableWidget(0, 4);
  seriesTable->setHorizontalHeaderLabels({QStringLiteral("Series title"), QStringLiteral("Colour"),
                                          QStringLiteral("Visible"), QStringLiteral("Width")});
  seriesTable->verticalHeader()->hide();
  seriesTable->horizontalHeader()->setSectionResizeMode(kTitleColumn, QHeaderView::Stretch);
  for (int i = 0; i < plot.plottableCount(); ++i) {
    QCPAbstractPlottable* series = plot.plottable(i);
    if (qobject_cast<QCPGraph*>(series) != nullptr || qobject_cast<QCPBars*>(series) != nullptr) {
      addSeriesRow(*series);
    }
  }
  seriesTable->resizeColumnsToContents();

  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Title:"), titleEdit);
  form->addRow(QStringLiteral("Left axis title:"), leftAxisEdit);
  form->addRow(QStringLiteral("Bottom axis title:"), bottomAxisEdit);
  form->addRow(QString(), legendCheck);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &ChartEditor::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &ChartEditor::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(seriesTable);
  layout->addWidget(buttons);
  seriesTable->setVisible(!m_series.empty());
  resize(420, m_series.empty() ? 160 : 340);
}

void ChartEditor::addSeriesRow(QCPAbstractPlottable& series) {
  const int row = seriesTable->rowCount();
  seriesTable->insertRow(row);
  m_series.emplace_back(&series);
  m_colours.push_back(seriesColourOf(series));

  seriesTable->setItem(row, kTitleColumn, new QTableWidgetItem(series.name()));

  auto* colourButton = new QToolButton;
  colourButton->setIcon(swatch(m_colours.back()));
  colourButton->setToolTip(QStringLiteral("Choose the series colour"));
  connect(colourButton, &QToolButton::clicked, this, [this, row] { chooseColour(row); });
  seriesTable->setCellWidget(row, kColourColumn, colourButton);

  auto* visible = new QTableWidgetItem;
  visible->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
  visible->setCheckState(series.visible() ? Qt::Checked : Qt::Unchecked);
  seriesTable->setItem(row, kVisibleColumn, visible);

  auto* width = new QSpinBox;
  width->setRange(1, 10);
  // A zero-width pen draws one pixel wide.
  width->setValue(std::max(1, qRound(series.pen().widthF())));
  seriesTable->setCellWidget(row, kWidthColumn, width);
}

void ChartEditor::setRowColour(int row, const QColor& colour) {
  if (row < 0 || row >= static_cast<int>(m_colours.size()) || !colour.isValid()) return;
  m_colours[static_cast<std::size_t>(row)] = colour;
  if (auto* button = qobject_cast<QToolButton*>(seriesTable->cellWidget(row, kColourColumn))) {
    button->setIcon(swatch(colour));
  }
}

QColor ChartEditor::rowColour(int row) const {
  if (row < 0 || row >= static_cast<int>(m_colours.size())) return {};
  return m_colours[static_cast<std::size_t>(row)];
}

void ChartEditor::chooseColour(int row) {
  setRowColour(row, QColorDialog::getColor(rowColour(row), this, QStringLiteral("Series colour")));
}

void ChartEditor::accept() {
  apply();
  QDialog::accept();
}

void ChartEditor::apply() {
  if (chartTitle(m_plot) != nullptr) {
    setChartTitle(m_plot, titleEdit->text().replace(kLineBreak, QStringLiteral("\n")));
  }
  m_plot.yAxis->setLabel(leftAxisEdit->text());
  m_plot.xAxis->setLabel(bottomAxisEdit->text());
  if (legendCheck->isEnabled()) showLegendBeside(m_plot, legendCheck->isChecked());
  for (std::size_t i = 0; i < m_series.size(); ++i) {
    QCPAbstractPlottable* series = m_series[i];
    if (series == nullptr) continue;
    const int row = static_cast<int>(i);
    series->setName(seriesTable->item(row, kTitleColumn)->text());
    ostrilo::setSeriesColour(*series, m_colours[i]);
    series->setVisible(seriesTable->item(row, kVisibleColumn)->checkState() == Qt::Checked);
    QPen pen = series->pen();
    pen.setWidthF(static_cast<QSpinBox*>(seriesTable->cellWidget(row, kWidthColumn))->value());
    series->setPen(pen);
  }
  m_plot.replot();
}

}  // namespace ostrilo
