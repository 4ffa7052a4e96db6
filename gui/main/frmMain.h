#pragma once

#include <QPointer>
#include <QWidget>

#include "core/stats/StationStats.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;

namespace ostrilo {

class Toolkit;
class frmLV;

// The main window: the first tab builds, adds, loads and saves the count table, the second
// picks stations, dates and a graph type for the plots and the statistics. The controls keep
// the places they were designed at; resizing the window moves nothing.
//
// Closing it, by "Exit" or the close control, releases the count table and closes every chart
// window and the statistics window before itself.
class frmMain : public QWidget {
  Q_OBJECT

 public:
  explicit frmMain(Toolkit& toolkit, QWidget* parent = nullptr);

  // Enables "Hourly Graph", "Histogram", "Show Statistics" and "Annual Figures".
  void EnablePlotButtons();

  QLabel* Label4 = nullptr;
  QTabWidget* SSTab1 = nullptr;
  // First tab.
  QGroupBox* Frame1 = nullptr;
  QLineEdit* txtATRfileName = nullptr;
  QPushButton* cmdATRBrowse = nullptr;
  QPushButton* cmdBuildNew = nullptr;
  QPushButton* cmdAdd2Table = nullptr;
  QGroupBox* Frame2 = nullptr;
  QPushButton* cmdSave = nullptr;
  QPushButton* cmdExit = nullptr;
  QGroupBox* Frame4 = nullptr;
  QLineEdit* txtLoadFile = nullptr;
  QPushButton* cmdLdBrowse = nullptr;
  // Second tab.
  QLabel* Label11 = nullptr;
  QLabel* Label9 = nullptr;
  QLabel* Label1 = nullptr;
  QListWidget* lstSta = nullptr;
  QListWidget* lstDate = nullptr;
  QComboBox* cmbGType = nullptr;
  QPushButton* cmdLine = nullptr;
  QPushButton* cmdDailyGraph = nullptr;
  QPushButton* cmdColorGrid = nullptr;
  QPushButton* cmdHist = nullptr;
  QPushButton* cmdStat = nullptr;
  QPushButton* cmdExport = nullptr;
  QPushButton* cmdAnnual = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void createFirstTab(QWidget* page);
  void createSecondTab(QWidget* page);
  void setTabOrder();
  void placeTabPages();

  void cmdATRBrowseClick();
  void cmdBuildNewClick();
  void cmdAdd2TableClick();
  void cmdLdBrowseClick();
  void cmdSaveClick();
  void cmdStatClick();
  void cmdExportClick();
  void cmdLineClick();
  void cmdDailyGraphClick();
  void cmdColorGridClick();
  void cmdHistClick();
  void cmdAnnualClick();

  // The statistics of the current selection; none, after the check's warning, when the
  // selection cannot be walked.
  StatResults statsOfSelection();

  // Build and Add differ only in the table operation, the selection and the message.
  void fillFromCountFile(bool add);
  void refillLists(bool selectFirst);
  void tableFilled();
  void warn(const QString& text);

  Toolkit& m_toolkit;
  bool m_pagesPlaced = false;
  QPointer<frmLV> m_statsWindow;  // one at a time; closing it deletes it
};

}  // namespace ostrilo
