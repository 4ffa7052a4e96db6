#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <deque>
#include <functional>

#include "tests/support/FakeToolkit.h"
#include "tests/support/TableTestSupport.h"

namespace ostrilo::test {
namespace {

FileDialogSettings dialog(const QString& title, const QString& filter, int firstFilter = 1,
                          const QString& extension = {}, unsigned flags = 0) {
  FileDialogSettings settings;
  settings.title = title;
  settings.filter = filter;
  settings.firstFilter = firstFilter;
  settings.defaultExtension = extension;
  settings.flags = flags;
  return settings;
}

// Answers the real dialogs as a user would: whenever a new modal window is in front, the next
// step gets it. One without a step is cancelled and noted, so that an unexpected dialog fails
// the test instead of waiting for a click forever.
class DialogDriver {
 public:
  using Step = std::function<void(QWidget&)>;
  explicit DialogDriver(std::initializer_list<Step> steps) : m_steps(steps) {
    QObject::connect(&m_timer, &QTimer::timeout, [this] { tick(); });
    m_timer.start(5);
  }
  ~DialogDriver() {
    EXPECT_TRUE(m_steps.empty()) << m_steps.size() << " dialogs never opened";
    EXPECT_TRUE(m_unexpected.isEmpty()) << m_unexpected.join(", ").toStdString();
  }
  DialogDriver(const DialogDriver&) = delete;
  DialogDriver& operator=(const DialogDriver&) = delete;

 private:
  void tick() {
    // A window counts once it stays in front for two ticks: one that is closing may still be
    // in front while the event loop that showed it winds down.
    QWidget* front = QApplication::activeModalWidget();
    if (front != m_seen) {
      m_seen = front;
      return;
    }
    if (front == nullptr || front == m_last) return;
    m_last = front;
    if (m_steps.empty()) {
      m_unexpected << front->windowTitle();
      if (auto* dialog = qobject_cast<QDialog*>(front)) dialog->reject();
      return;
    }
    // Queued: a step that opens a further dialog waits in it, and a timer does not fire again
    // while its own handler runs.
    QTimer::singleShot(0, front, [front, step = std::move(m_steps.front())] { step(*front); });
    m_steps.pop_front();
  }

  std::deque<Step> m_steps;
  QStringList m_unexpected;
  QTimer m_timer;
  QPointer<QWidget> m_seen, m_last;
};

template <typename Dialog>
Dialog& as(QWidget& w) {
  if (auto* dialog = qobject_cast<Dialog*>(&w)) return *dialog;
  throw std::runtime_error("a different dialog opened");
}

// Types the path into the name box and presses Open or Save; notes the filter shown.
DialogDriver::Step choose(QString path, QString* filterShown = nullptr) {
  return [path, filterShown](QWidget& w) {
    auto& dialog = as<QFileDialog>(w);
    if (filterShown != nullptr) *filterShown = dialog.selectedNameFilter();
    dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(path);
    static_cast<QDialog&>(dialog).accept();
  };
}

DialogDriver::Step cancel() {
  return [](QWidget& w) { as<QDialog>(w).reject(); };
}

// Notes the box as "title|icon|text" and presses the button.
DialogDriver::Step press(QMessageBox::StandardButton button, QStringList* seen = nullptr) {
  return [button, seen](QWidget& w) {
    auto& box = as<QMessageBox>(w);
    if (seen != nullptr)
      *seen << QStringLiteral("%1|%2|%3").arg(box.windowTitle()).arg(box.icon()).arg(box.text());
    box.button(button)->click();
  };
}

const QString kFilter = QStringLiteral("All files (*.*)|*.*|ATR*.dat files|ATR*.dat");

TEST(QtToolkit, OpenDialogShowsTheFilterAskedForAndAnswersTheChoiceOrNothing) {
  const ScratchDir scratch;
  const QString path = QString::fromStdString(scratch.write("ATR20050103w1.dat", "x"));
  QtToolkit toolkit;
  for (const auto& [first, description] :
       {std::pair(1, "All files (*.*)"), std::pair(2, "ATR*.dat files")}) {
    QString shown;
    const DialogDriver driver{choose(path, &shown)};
    EXPECT_EQ(toolkit.openFileName(nullptr, dialog("Open", kFilter, first, "dat")), path);
    EXPECT_EQ(shown, description);
  }
  const DialogDriver driver{cancel()};
  EXPECT_EQ(toolkit.openFileName(nullptr, dialog("Open", kFilter)), std::nullopt);
}

TEST(QtToolkit, OpenManyDialogAnswersEveryChosenFileInOrder) {
  const ScratchDir scratch;
  const QString first = QString::fromStdString(scratch.write("ATR20050110w2.dat", "x"));
  const QString second = QString::fromStdString(scratch.write("ATR20050103w1.dat", "x"));
  const auto chooseBoth = [&](QWidget& w) {
    // Typed quoted names are taken in any mode; only this mode lets the list pick several.
    EXPECT_EQ(as<QFileDialog>(w).fileMode(), QFileDialog::ExistingFiles);
    choose(QStringLiteral("\"%1\" \"%2\"").arg(first, second))(w);
  };
  const DialogDriver driver{chooseBoth};
  EXPECT_EQ(QtToolkit().openFileNames(nullptr, dialog("Open", kFilter)),
            QStringList({first, second}));
}

// Choosing an existing file asks before replacing it only when the command wants that asked;
// "No" returns to the dialog. A name without an extension gets the default one.
TEST(QtToolkit, SaveDialogAsksBeforeReplacingOnlyWhenTold) {
  const ScratchDir scratch;
  const QString old = QString::fromStdString(scratch.write("old.csv", "x"));
  const auto save = [](unsigned flags) {
    return QtToolkit().saveFileName(nullptr, dialog("Save", "*.csv files|*.csv", 1, "csv", flags));
  };
  QStringList asked;
  {
    const DialogDriver driver{choose(old), press(QMessageBox::No, &asked), cancel()};
    EXPECT_EQ(save(DialogFlag::kOverwritePrompt), std::nullopt);
  }
  {
    const DialogDriver driver{choose(old), press(QMessageBox::Yes)};
    EXPECT_EQ(save(DialogFlag::kOverwritePrompt), old);
  }
  {
    const DialogDriver driver{choose(old)};
    EXPECT_EQ(save(0), old);
  }
  {
    const DialogDriver driver{choose(QString::fromStdString(scratch.file("new")))};
    EXPECT_EQ(save(0), QString::fromStdString(scratch.file("new.csv")));
    ASSERT_EQ(asked.size(), 1);
    EXPECT_TRUE(asked[0].contains("old.csv")) << asked[0].toStdString();
  }

  // Picking another type gives a bare name that type's extension.
  const DialogDriver byType{[&](QWidget& w) {
    auto* types = w.findChild<QComboBox*>("fileTypeCombo");
    ASSERT_NE(types, nullptr);
    types->setCurrentIndex(1);
    emit types->textActivated(types->currentText());  // as a user's pick does
    choose(QString::fromStdString(scratch.file("book")))(w);
  }};
  EXPECT_EQ(
      QtToolkit().saveFileName(
          nullptr, dialog("Save", "*.csv files|*.csv|Excel workbook (*.xlsx)|*.xlsx", 1, "csv", 0)),
      QString::fromStdString(scratch.file("book.xlsx")));
}

TEST(QtToolkit, MessageBoxShowsTheTextWithPlainLineBreaksUnderItsTitleAndIcon) {
  QtToolkit toolkit;
  QStringList seen;
  const DialogDriver driver{press(QMessageBox::Ok, &seen), press(QMessageBox::Ok, &seen)};
  toolkit.showMessage(nullptr, "one\r\ntwo", MessageIcon::Exclamation, "");
  toolkit.showMessage(nullptr, "x", MessageIcon::Information, kWarningTitle);
  EXPECT_EQ(
      seen,
      QStringList({QStringLiteral("%1|%2|one\ntwo").arg(kAppTitle).arg(QMessageBox::Warning),
                   QStringLiteral("%1|%2|x").arg(kWarningTitle).arg(QMessageBox::Information)}));
}

TEST(NameFiltersFor, PairsBecomeNameFiltersAndStarDotStarMatchesEverything) {
  EXPECT_EQ(nameFiltersFor(kFilter),
            QStringList({"All files (*.*) (*)", "ATR*.dat files (ATR*.dat)"}));
}

}  // namespace
}  // namespace ostrilo::test
