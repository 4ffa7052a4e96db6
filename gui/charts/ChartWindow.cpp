#include "gui/charts/ChartWindow.h"

#include <qcustomplot.h>

#include <QBuffer>
#include <QClipboard>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImageWriter>
#include <QMenu>
#include <QPageSize>
#include <QPdfWriter>
#include <QToolTip>

#include "core/register/StationRegister.h"
#include "core/table/OutputFile.h"
#include "gui/charts/ChartEditor.h"
#include "gui/charts/ChartStyle.h"
#include "gui/toolkit/TextFormats.h"
#include "gui/toolkit/Toolkit.h"

namespace ostrilo {

namespace {

struct FormatInfo {
  const char* menuText;
  const char* filter;
  const char* extension;
};

FormatInfo infoOf(ChartFileFormat format) {
  switch (format) {
    case ChartFileFormat::Png:
      return {"Save as PNG…", "PNG image (*.png)|*.png", "png"};
    case ChartFileFormat::Jpeg:
      return {"Save as JPEG…", "JPEG image (*.jpg)|*.jpg;*.jpeg", "jpg"};
    case ChartFileFormat::Pdf:
      return {"Save as PDF…", "PDF document (*.pdf)|*.pdf", "pdf"};
  }
  return {"", "", ""};
}

std::optional<QString> writePdf(QCustomPlot& plot, QIODevice& device) {
  const QSize size = plot.size();
  QPdfWriter pdf(&device);
  pdf.setCreator(QStringLiteral("Ostrilo V2"));
  // At the screen's resolution a device unit is a pixel and fonts keep their size relative to
  // the chart; the page is the window's size at that resolution.
  const int dpi = plot.logicalDpiX();
  pdf.setResolution(dpi);
  pdf.setPageSize(
      QPageSize(QSizeF(size) * 72.0 / dpi, QPageSize::Point, QString(), QPageSize::ExactMatch));
  pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
  QCPPainter painter;
  if (!painter.begin(&pdf)) return QStringLiteral("The PDF document could not be started.");
  painter.setMode(QCPPainter::pmVectorized);
  plot.toPainter(&painter, size.width(), size.height());
  if (!painter.end()) return QStringLiteral("The PDF document could not be finished.");
  return std::nullopt;
}

}  // namespace

QString chartStationLabel(const std::string& id, const StationRegister* names) {
  const std::string_view name = names != nullptr ? names->name(id) : std::string_view();
  if (name.empty()) return stationText(id);
  return stationText(id) + QStringLiteral("  ") + fromCoreText(std::string(name));
}

QString shortStationLabel(const QString& label, const StationRegister* names, const QFont& font) {
  // Room for an id and the start of its name.
  constexpr int kWidth = 160;
  return names != nullptr ? QFontMetrics(font).elidedText(label, Qt::ElideRight, kWidth) : label;
}

QString chartWindowTitle(const std::string& caption, const std::vector<std::string>& stations,
                         const StationRegister* names) {
  const QString title = stationText(caption);
  if (stations.size() != 1 || names == nullptr || names->name(stations.front()).empty()) {
    return title;
  }
  return title + QStringLiteral(" - ") + chartStationLabel(stations.front(), names);
}

ChartWindow::ChartWindow(Toolkit& toolkit, const QString& name, const QSize& innerSize)
    : QWidget(nullptr), m_toolkit(toolkit) {
  setObjectName(name);
  setAttribute(Qt::WA_DeleteOnClose);
  resize(innerSize);

  TChart1 = new QCustomPlot(this);
  TChart1->setObjectName(QStringLiteral("TChart1"));
  TChart1->setGeometry(rect());
  // Hovering shows values, which needs moves without a pressed button.
  TChart1->setMouseTracking(true);
  TChart1->setContextMenuPolicy(Qt::CustomContextMenu);
  applyChartLook(*TChart1);

  connect(TChart1, &QCustomPlot::mouseMove, this, &ChartWindow::showToolTip);
  connect(TChart1, &QWidget::customContextMenuRequested, this, &ChartWindow::showContextMenu);
}

void ChartWindow::resizeEvent(QResizeEvent* event) {
  TChart1->setGeometry(rect());
  fitChartTitle(*TChart1);
  QWidget::resizeEvent(event);
}

void ChartWindow::finishFill(QCPAxis& keyAxis) {
  fitChartTitle(*TChart1);  // now that the legend or the colour scale takes its room
  QCPAxisRect* rect = TChart1->axisRect();
  TChart1->setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
  rect->setRangeDrag(keyAxis.orientation());
  rect->setRangeZoom(keyAxis.orientation());
  if (keyAxis.orientation() == Qt::Horizontal) {
    rect->setRangeDragAxes(&keyAxis, nullptr);
    rect->setRangeZoomAxes(&keyAxis, nullptr);
  } else {
    rect->setRangeDragAxes(nullptr, &keyAxis);
    rect->setRangeZoomAxes(nullptr, &keyAxis);
  }
  m_fullView = {TChart1->xAxis->range().lower, TChart1->xAxis->range().upper,
                TChart1->yAxis->range().lower, TChart1->yAxis->range().upper};
  TChart1->replot();
}

void ChartWindow::enableEditor() {
  connect(TChart1, &QCustomPlot::mouseDoubleClick, this, &ChartWindow::openEditor);
}

void ChartWindow::openEditor() {
  ChartEditor editor(*TChart1, this);
  if (editor.exec() == QDialog::Accepted) TChart1->replot();
}

void ChartWindow::resetZoom() {
  TChart1->xAxis->setRange(m_fullView.xLower, m_fullView.xUpper);
  TChart1->yAxis->setRange(m_fullView.yLower, m_fullView.yUpper);
  TChart1->replot();
}

std::optional<QString> ChartWindow::saveChart(const QString& path, ChartFileFormat format) const {
  // The image is made in memory, then written the way every other output of the program is.
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (format == ChartFileFormat::Pdf) {
    if (auto problem = writePdf(*TChart1, buffer)) return problem;
  } else {
    QImageWriter writer(&buffer, infoOf(format).extension);
    if (!writer.write(TChart1->toPixmap().toImage())) return writer.errorString();
  }
  try {
    writeOutputFile(toFsPath(path),
                    std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
  } catch (const std::exception& e) {
    return fromCoreText(e.what());
  }
  return std::nullopt;
}

void ChartWindow::copyToClipboard() const {
  QGuiApplication::clipboard()->setImage(TChart1->toPixmap().toImage());
}

QMenu* ChartWindow::createContextMenu() {
  auto* menu = new QMenu(this);
  for (const ChartFileFormat format :
       {ChartFileFormat::Png, ChartFileFormat::Jpeg, ChartFileFormat::Pdf}) {
    connect(menu->addAction(QString::fromUtf8(infoOf(format).menuText)), &QAction::triggered, this,
            [this, format] { askSave(format); });
  }
  menu->addSeparator();
  connect(menu->addAction(QStringLiteral("Copy to clipboard")), &QAction::triggered, this,
          &ChartWindow::copyToClipboard);
  connect(menu->addAction(QStringLiteral("Reset zoom")), &QAction::triggered, this,
          &ChartWindow::resetZoom);
  return menu;
}

void ChartWindow::showContextMenu(const QPoint& pos) {
  QMenu* menu = createContextMenu();
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu->popup(TChart1->mapToGlobal(pos));
}

void ChartWindow::askSave(ChartFileFormat format) {
  const FormatInfo info = infoOf(format);
  const FileDialogSettings settings{
      QStringLiteral("Save the chart"),
      QString::fromUtf8(info.filter),
      1,
      QString::fromUtf8(info.extension),
      DialogFlag::kOverwritePrompt | DialogFlag::kHideReadOnly | DialogFlag::kPathMustExist,
      windowTitle() + QLatin1Char('.') + QString::fromUtf8(info.extension)};
  const auto path = m_toolkit.saveFileName(this, settings);
  if (!path) return;
  if (const auto problem = saveChart(*path, format)) {
    m_toolkit.showMessage(this,
                          QStringLiteral("The chart could not be saved to %1:\r\n%2")
                              .arg(QDir::toNativeSeparators(*path), *problem),
                          MessageIcon::Exclamation, kWarningTitle);
  }
}

void ChartWindow::showToolTip(QMouseEvent* event) {
  // While a button is down the user drags the view; values would flicker past.
  const QString text = event->buttons() == Qt::NoButton ? toolTipAt(event->position()) : QString();
  if (text.isEmpty()) {
    QToolTip::hideText();
  } else {
    QToolTip::showText(event->globalPosition().toPoint(), text, TChart1);
  }
}

}  // namespace ostrilo
