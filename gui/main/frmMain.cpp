#include "gui/main/frmMain.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QTabWidget>
#include <exception>

#include "core/checks/DataChecks.h"
#include "core/commands/Commands.h"
#include "core/table/ATRTable.h"
#include "core/table/Error.h"
#include "gui/annual/frmAnnual.h"
#include "gui/charts/Plots.h"
#include "gui/charts/frmGraphH.h"
#include "gui/charts/frmGraphL.h"
#include "gui/charts/frmVolColorGrid.h"
#include "gui/checks/frmDataChecks.h"
#include "gui/main/AppIcon.h"
#include "gui/stats/frmLV.h"
#include "gui/toolkit/CaptionButton.h"
#include "gui/toolkit/SelectionLists.h"
#include "gui/toolkit/TextFormats.h"
#include "gui/toolkit/Toolkit.h"
#include "gui/toolkit/Twips.h"

namespace ostrilo {

namespace {

constexpr int px(int twips) { return twipsToPixels(twips); }
QRect twips(int left, int top, int width, int height) {
  return twipsRect(left, top, width, height);
}

template <typename W>
W* place(W* widget, const QString& name, const QRect& rect) {
  widget->setObjectName(name);
  widget->setGeometry(rect);
  return widget;
}

QPushButton* button(QWidget* parent, const QString& name, const QString& caption, const QRect& rect,
                    const QColor& background = QColor()) {
  auto* b = place(new CaptionButton(caption, parent), name, rect);
  if (background.isValid()) {
    QPalette palette = b->palette();
    palette.setColor(QPalette::Button, background);
    b->setPalette(palette);
  }
  return b;
}

QListWidget* pickList(QWidget* parent, const QString& name, const QRect& rect) {
  auto* list = place(new QListWidget(parent), name, rect);
  list->setSelectionMode(QAbstractItemView::ExtendedSelection);
  QPalette palette = list->palette();
  palette.setColor(QPalette::Base, QColor(255, 255, 192));
  list->setPalette(palette);
  return list;
}

QLabel* label(QWidget* parent, const QString& name, const QString& text, const QRect& rect,
              bool bold = false) {
  auto* l = place(new QLabel(text, parent), name, rect);
  if (bold) {
    QFont font = l->font();
    font.setBold(true);
    l->setFont(font);
  }
  return l;
}

const QColor kBrowseColour(255, 224, 192);
const QColor kCommandColour(255, 255, 192);
const QColor kExitColour(192, 255, 255);

const QString kCountFileMissing = QStringLiteral(
    "You must select an ATR data file named: ATRyyyymmddw#.dat.\r\n"
    " Click the Browse button to navigate.");

constexpr unsigned kOpenFlags =
    DialogFlag::kFileMustExist | DialogFlag::kHideReadOnly | DialogFlag::kNoReadOnlyReturn;
constexpr unsigned kTableFileFlags = DialogFlag::kPathMustExist | DialogFlag::kHideReadOnly |
                                     DialogFlag::kNoReadOnlyReturn | DialogFlag::kOverwritePrompt;

// The graph-type box's position, or -1 when the user typed a text that is not the current
// entry's; the plots decide what that draws.
int graphTypeIndex(const QComboBox& box) {
  const int index = box.currentIndex();
  if (index < 0 || box.currentText() != box.itemText(index)) return -1;
  return index;
}

// Notes a window a command opened (none after a refused selection), forgetting closed ones.
void keep(QList<QPointer<QWidget>>& windows, QWidget* opened) {
  windows.removeAll(nullptr);
  if (opened != nullptr) windows << opened;
}

FileDialogSettings tableFileDialog(const QString& title, const QString& initialFileName) {
  return {title,
          QStringLiteral("All files (*.*)|*.*|*.cont files|*.cont"),
          2,
          QStringLiteral("cont"),
          kTableFileFlags,
          initialFileName};
}

}  // namespace

frmMain::frmMain(ATRTable& table, Toolkit& toolkit, QWidget* parent)
    : QWidget(parent), m_table(table), m_toolkit(toolkit) {
  setObjectName(QStringLiteral("frmMain"));
  setWindowTitle(QStringLiteral("Ostrilo for ATRyyyymmdd.dat files"));
  setWindowIcon(appIcon());
  resize(px(8115), px(6300));
  // The places and sizes were designed for an 8.25-point face; a larger default font would
  // not fit the captions.
  QFont windowFont = font();
  windowFont.setPointSizeF(8.25);
  setFont(windowFont);

  Label4 = label(this, QStringLiteral("Label4"), QStringLiteral("Ostrilo V2"),
                 twips(240, 120, 3615, 375));
  QFont headingFont = Label4->font();
  headingFont.setItalic(true);
  headingFont.setPointSize(18);
  Label4->setFont(headingFont);
  QPalette headingPalette = Label4->palette();
  headingPalette.setColor(QPalette::WindowText, QColor(128, 0, 0));
  Label4->setPalette(headingPalette);

  SSTab1 = place(new QTabWidget(this), QStringLiteral("SSTab1"), twips(0, 720, 8055, 5535));
  auto* firstPage = new QWidget;
  auto* secondPage = new QWidget;
  SSTab1->addTab(firstPage, QStringLiteral("Build or load data table from file"));
  SSTab1->addTab(secondPage, QStringLiteral("Plots and statistics"));
  createFirstTab(firstPage);
  createSecondTab(secondPage);
  setTabOrder();
  createDataChecksButton(secondPage);

  // Start state: only the first tab can be brought to the front until a table exists.
  cmdLine->setEnabled(false);
  cmdHist->setEnabled(false);
  cmdStat->setEnabled(false);
  cmdAnnual->setEnabled(false);
  SSTab1->setTabEnabled(1, false);
  SSTab1->setCurrentIndex(0);
}

void frmMain::createFirstTab(QWidget* page) {
  Frame1 = place(new QGroupBox(QStringLiteral("Enter a continuous count file name: "
                                              "\"ATRyyyymmddw#.dat\" with full path"),
                               page),
                 QStringLiteral("Frame1"), twips(120, 600, 7815, 1455));
  txtATRfileName =
      place(new QLineEdit(Frame1), QStringLiteral("txtATRfileName"), twips(120, 240, 6495, 315));
  cmdATRBrowse = button(Frame1, QStringLiteral("cmdATRBrowse"), QStringLiteral("Browse"),
                        twips(6720, 240, 975, 375), kBrowseColour);
  cmdBuildNew = button(Frame1, QStringLiteral("cmdBuildNew"), QStringLiteral("Build New Table"),
                       twips(480, 720, 2775, 615), kCommandColour);
  cmdAdd2Table =
      button(Frame1, QStringLiteral("cmdAdd2Table"), QStringLiteral("Add To Existing Table"),
             twips(3480, 720, 2655, 615), kCommandColour);

  Frame2 =
      place(new QGroupBox(QStringLiteral("Save the current table into a \"*.cont\" file"), page),
            QStringLiteral("Frame2"), twips(240, 2280, 3735, 1095));
  cmdSave = button(Frame2, QStringLiteral("cmdSave"), QStringLiteral("Save"),
                   twips(600, 240, 2295, 735), kCommandColour);

  cmdExit = button(page, QStringLiteral("cmdExit"), QStringLiteral("Exit"),
                   twips(6480, 2520, 1335, 615), kExitColour);

  Frame4 = place(
      new QGroupBox(QStringLiteral("Load the preconstructed ATR table : \"*.cont\" file"), page),
      QStringLiteral("Frame4"), twips(240, 3600, 7695, 975));
  txtLoadFile =
      place(new QLineEdit(Frame4), QStringLiteral("txtLoadFile"), twips(120, 360, 6375, 375));
  cmdLdBrowse = button(Frame4, QStringLiteral("cmdLdBrowse"), QStringLiteral("Load *.cont"),
                       twips(6600, 240, 855, 615), kBrowseColour);

  connect(cmdATRBrowse, &QPushButton::clicked, this, &frmMain::cmdATRBrowseClick);
  connect(cmdBuildNew, &QPushButton::clicked, this, &frmMain::cmdBuildNewClick);
  connect(cmdAdd2Table, &QPushButton::clicked, this, &frmMain::cmdAdd2TableClick);
  connect(cmdLdBrowse, &QPushButton::clicked, this, &frmMain::cmdLdBrowseClick);
  connect(cmdSave, &QPushButton::clicked, this, &frmMain::cmdSaveClick);
  connect(cmdExit, &QPushButton::clicked, this, &QWidget::close);
}

void frmMain::createSecondTab(QWidget* page) {
  Label11 = label(page, QStringLiteral("Label11"), QStringLiteral("Select Station(s)"),
                  twips(1200, 720, 1815, 255), true);
  Label9 = label(page, QStringLiteral("Label9"), QStringLiteral("Select Date(s) "),
                 twips(3360, 720, 1455, 255), true);
  Label1 = label(page, QStringLiteral("Label1"), QStringLiteral("Pick graph type"),
                 twips(5520, 720, 1455, 255));
  lstSta = pickList(page, QStringLiteral("lstSta"), twips(1200, 960, 1455, 2400));
  lstDate = pickList(page, QStringLiteral("lstDate"), twips(3120, 960, 1575, 2400));

  cmbGType = new QComboBox(page);
  cmbGType->setObjectName(QStringLiteral("cmbGType"));
  cmbGType->setEditable(true);
  cmbGType->setInsertPolicy(QComboBox::NoInsert);
  cmbGType->addItems({QStringLiteral("Line"), QStringLiteral("Bar"), QStringLiteral("HorizBar"),
                      QStringLiteral("Area"), QStringLiteral("Point")});
  cmbGType->setCurrentIndex(-1);
  cmbGType->setGeometry(px(5520), px(960), px(1455), cmbGType->sizeHint().height());

  cmdLine = button(page, QStringLiteral("cmdLine"), QStringLiteral("Hourly Graph"),
                   twips(5280, 1320, 2055, 495));
  cmdDailyGraph = button(page, QStringLiteral("cmdDailyGraph"), QStringLiteral("Daily Graph"),
                         twips(5280, 1920, 2055, 495));
  cmdColorGrid = button(page, QStringLiteral("cmdColorGrid"),
                        QStringLiteral("Hourly Color-Grid Graph"), twips(5280, 2520, 2055, 615));
  cmdHist = button(page, QStringLiteral("cmdHist"), QStringLiteral("Histogram"),
                   twips(5280, 3360, 2055, 615));
  cmdStat = button(page, QStringLiteral("cmdStat"), QStringLiteral("Show Statistics"),
                   twips(600, 3960, 1935, 495));
  cmdExport = button(page, QStringLiteral("cmdExport"), QStringLiteral("Export csv file"),
                     twips(2760, 3960, 1935, 495));
  cmdAnnual = button(page, QStringLiteral("cmdAnnual"), QStringLiteral("Annual Figures"),
                     twips(2760, 4560, 1935, 495));

  connect(cmdStat, &QPushButton::clicked, this, &frmMain::cmdStatClick);
  connect(cmdExport, &QPushButton::clicked, this, &frmMain::cmdExportClick);
  connect(cmdLine, &QPushButton::clicked, this, &frmMain::cmdLineClick);
  connect(cmdDailyGraph, &QPushButton::clicked, this, &frmMain::cmdDailyGraphClick);
  connect(cmdColorGrid, &QPushButton::clicked, this, &frmMain::cmdColorGridClick);
  connect(cmdHist, &QPushButton::clicked, this, &frmMain::cmdHistClick);
  connect(cmdAnnual, &QPushButton::clicked, this, &frmMain::cmdAnnualClick);
}

void frmMain::setTabOrder() {
  const QWidget* order[] = {SSTab1,       cmdExit,       cmdLine,      cmdHist, txtATRfileName,
                            cmdATRBrowse, cmdBuildNew,   cmdAdd2Table, cmdSave, txtLoadFile,
                            cmdLdBrowse,  cmdExport,     lstDate,      lstSta,  cmbGType,
                            cmdColorGrid, cmdDailyGraph, cmdStat};
  for (std::size_t i = 0; i + 1 < std::size(order); ++i) {
    QWidget::setTabOrder(const_cast<QWidget*>(order[i]), const_cast<QWidget*>(order[i + 1]));
  }
  QWidget::setTabOrder(cmdStat, cmdAnnual);
}

void frmMain::showEvent(QShowEvent* event) {
  placeTabPages();
  QWidget::showEvent(event);
}

void frmMain::placeTabPages() {
  if (m_pagesPlaced) return;
  m_pagesPlaced = true;
  // The design places the pages' controls relative to the whole tab control, tab strip
  // included; a page starts below the strip, so its controls move up by the page's offset.
  for (int i = 0; i < SSTab1->count(); ++i) {
    QWidget* page = SSTab1->widget(i);
    const QPoint offset = page->mapTo(SSTab1, QPoint(0, 0));
    for (QWidget* child : page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      child->move(child->pos() - offset);
    }
  }
}

void frmMain::EnablePlotButtons() {
  cmdLine->setEnabled(true);
  cmdHist->setEnabled(true);
  cmdStat->setEnabled(true);
  cmdDataChecks->setEnabled(true);
  cmdAnnual->setEnabled(true);
}

void frmMain::warn(const QString& text) {
  m_toolkit.showMessage(this, text, MessageIcon::Exclamation, kWarningTitle);
}

void frmMain::inform(const QString& text) {
  m_toolkit.showMessage(this, text, MessageIcon::Information, kAppTitle);
}

bool frmMain::attempt(const std::function<void()>& work) {
  try {
    work();
    return true;
  } catch (const std::exception& e) {
    // A failed command changed nothing, so the window still shows the table; a silent failure
    // would look like success.
    warn(fromCoreText(e.what()));
    return false;
  }
}

PlotSelection frmMain::listSelection() const { return selectionFromLists(*lstSta, *lstDate); }

void frmMain::cmdATRBrowseClick() {
  const FileDialogSettings settings{QStringLiteral("Select a ATRyyyymmdds#.dat file"),
                                    QStringLiteral("All files (*.*)|*.*|ATR*.dat files|ATR*.dat"),
                                    2,
                                    QStringLiteral("dat"),
                                    kOpenFlags,
                                    QString()};
  if (const auto path = m_toolkit.openFileName(this, settings)) txtATRfileName->setText(*path);
}

void frmMain::cmdBuildNewClick() { fillFromCountFile(false); }

void frmMain::cmdAdd2TableClick() { fillFromCountFile(true); }

void frmMain::fillFromCountFile(bool add) {
  const QString fileName = txtATRfileName->text();
  if (fileName.isEmpty()) {
    warn(kCountFileMissing);
    return;
  }
  const std::string path = toFsPath(fileName);
  if (!attempt([&] { add ? AddCountFile(m_table, path) : BuildFromCountFile(m_table, path); })) {
    return;
  }
  refillLists(add);
  inform(add ? QStringLiteral("Adding data done.") : QStringLiteral("Table build done."));
  tableFilled();
}

void frmMain::cmdLdBrowseClick() {
  const auto path = m_toolkit.openFileName(
      this, tableFileDialog(QStringLiteral("Select a *.cont file"), txtLoadFile->text()));
  if (!path) return;
  txtLoadFile->setText(*path);
  if (!attempt([&] { LoadTableFile(m_table, toFsPath(*path)); })) return;
  refillLists(false);
  inform(QStringLiteral("Loading done. \r\n") + fromCoreText(escapeName(toFsPath(*path))));
  tableFilled();
}

void frmMain::cmdSaveClick() {
  const QString proposed =
      replaceExtension(txtATRfileName->text(), QStringLiteral(".dat"), QStringLiteral(".cont"));
  const auto path = m_toolkit.saveFileName(
      this, tableFileDialog(QStringLiteral("Select the output *.cont file"), proposed));
  if (!path) return;
  txtLoadFile->setText(*path);
  attempt([&] { SaveTableFile(m_table, toFsPath(*path)); });
}

StatResults frmMain::statsOfSelection() {
  const PlotSelection selection = listSelection();
  if (!checkSelectionOrWarn(m_toolkit, this, selection)) return {};
  return ComputeStationStats(m_table, selection);
}

void frmMain::cmdStatClick() {
  const StatResults rows = statsOfSelection();
  if (!m_statsWindow) m_statsWindow = new frmLV;
  m_statsWindow->FillStatsList(rows, displayLocale());
  m_statsWindow->show();
  m_statsWindow->raise();
}

void frmMain::cmdExportClick() {
  const QString proposed =
      !txtATRfileName->text().isEmpty()
          ? replaceExtension(txtATRfileName->text(), QStringLiteral(".dat"), QStringLiteral(".csv"))
          : replaceExtension(txtLoadFile->text(), QStringLiteral(".cont"), QStringLiteral(".csv"));
  const FileDialogSettings settings{QStringLiteral("Select the Excel output *.csv file"),
                                    QStringLiteral("All files (*.*)|*.*|*.csv files|*.csv"),
                                    2,
                                    QStringLiteral("csv"),
                                    kTableFileFlags,
                                    proposed};
  const auto path = m_toolkit.saveFileName(this, settings);
  if (!path) return;
  const StatResults rows = statsOfSelection();
  if (attempt([&] { ExportStationStats(rows, toFsPath(*path)); })) inform(QStringLiteral("Done."));
}

void frmMain::cmdLineClick() {
  keep(m_lineGraphs,
       PlotHourlyVol(m_toolkit, this, m_table, listSelection(), graphTypeIndex(*cmbGType)));
}

void frmMain::cmdDailyGraphClick() {
  keep(m_lineGraphs,
       PlotDailyVol(m_toolkit, this, m_table, listSelection(), graphTypeIndex(*cmbGType)));
}

void frmMain::cmdColorGridClick() {
  keep(m_colorGrids, PlotVolColorGrid(m_toolkit, this, m_table, listSelection()));
}

void frmMain::cmdHistClick() {
  keep(m_histograms, PlotVolHistogram(m_toolkit, this, m_table, listSelection()));
}

void frmMain::createDataChecksButton(QWidget* page) {
  cmdDataChecks = button(page, QStringLiteral("cmdDataChecks"), QStringLiteral("Data Checks"),
                         twips(600, 4560, 1935, 495));
  cmdDataChecks->setEnabled(false);
  QWidget::setTabOrder(cmdStat, cmdDataChecks);
  connect(cmdDataChecks, &QPushButton::clicked, this, &frmMain::cmdDataChecksClick);
}

void frmMain::cmdDataChecksClick() {
  const PlotSelection selection = selectionFromLists(*lstSta, *lstDate);
  if (!checkSelectionOrWarn(m_toolkit, this, selection)) return;
  if (!m_checksWindow) {
    m_checksWindow = new frmDataChecks(m_toolkit);
    connect(m_checksWindow, &frmDataChecks::hourlyGraphRequested, this, &frmMain::plotDaysAround);
  }
  m_checksWindow->ShowFlags(RunDataChecks(m_table), selection, displayLocale());
  m_checksWindow->show();
  m_checksWindow->raise();
}

void frmMain::plotDaysAround(const std::string& station, DateNumber day) {
  keep(m_lineGraphs,
       PlotHourlyVol(m_toolkit, this, m_table, selectionAroundDay(m_table, station, day, 3),
                     graphTypeIndex(*cmbGType)));
}

void frmMain::cmdAnnualClick() {
  keep(m_annualWindows,
       ShowAnnualFigures(m_toolkit, this, m_table, selectionFromLists(*lstSta, *lstDate)));
}

void frmMain::refillLists(bool selectFirst) {
  const ATRTable& table = m_table;
  lstSta->clear();
  for (std::int32_t i = 0; i < table.StaCount(); ++i) {
    lstSta->addItem(stationText(table.StaNamebyIndex(i)));
  }
  if (selectFirst && lstSta->count() > 0) lstSta->setCurrentRow(0);

  const QLocale locale = displayLocale();
  lstDate->clear();
  for (std::int32_t i = 0; i < table.DateCount(); ++i) {
    lstDate->addItem(dateEntryText(table.DatebyIndex(i), locale));
  }
  if (selectFirst && lstDate->count() > 0) lstDate->setCurrentRow(0);

  cmbGType->setCurrentIndex(0);
}

void frmMain::tableFilled() {
  SSTab1->setTabEnabled(1, true);
  EnablePlotButtons();
}

void frmMain::closeEvent(QCloseEvent* event) {
  m_table = ATRTable();
  // The other windows have no owner, so they would outlive this one and keep the program
  // running; close them in a fixed order, then this one.
  for (const auto* kind : {&m_histograms, &m_lineGraphs, &m_colorGrids}) {
    for (const QPointer<QWidget>& window : *kind) {
      if (window) window->close();
    }
  }
  if (m_statsWindow) m_statsWindow->close();
  if (m_checksWindow) m_checksWindow->close();
  for (const QPointer<QWidget>& window : m_annualWindows) {
    if (window) window->close();
  }
  event->accept();
}

}  // namespace ostrilo
