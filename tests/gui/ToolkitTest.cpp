#include <QAbstractButton>
#include <QApplication>
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

// Answers the real dialogs as a user would: whenever a modal window is in front, the next
// scripted step gets it. One left without a step is cancelled and noted, so that a dialog
// nobody expected fails the test instead of waiting for a click forever.
class DialogDriver {
 public:
  using Step = std::function<void(QWidget&)>;
  explicit DialogDriver(std::initializer_list<Step> steps) : m_steps(steps) {
    QObject::connect(&m_timer, &QTimer::timeout, [this] { tick(); });
    m_timer.start(5);
  }
  ~DialogDriver() { EXPECT_TRUE(m_steps.empty()) << m_steps.size() << " dialogs never opened"; }
  DialogDriver(const DialogDriver&) = delete;
  DialogDriver& operator=(const DialogDriver&) = delete;

  QStringList unexpected;  // titles of the windows nobody answered

 private:
  void tick() {
    QWidget* front = QApplication::activeModalWidget();
    if (front == nullptr || front == m_last) return;
    m_last = front;
    if (m_steps.empty()) {
      unexpected << front->windowTitle();
      if (auto* dialog = qobject_cast<QDialog*>(front)) dialog->reject();
      return;
    }
    // Queued: a step that opens a further dialog waits in it, and a timer does not fire again
    // while its own handler is running.
    QTimer::singleShot(0, front, [front, step = std::move(m_steps.front())] { step(*front); });
    m_steps.pop_front();
  }

  std::deque<Step> m_steps;
  QTimer m_timer;
  QPointer<QWidget> m_last;
};

template <typename Dialog>
Dialog& as(QWidget& w) {
  auto* dialog = qobject_cast<Dialog*>(&w);
  if (dialog == nullptr) throw std::runtime_error("a different dialog opened");
  return *dialog;
}

// Types the path into the name box and presses the Open or Save button.
DialogDriver::Step choose(QString path, QString* filterShown = nullptr) {
  return [path, filterShown](QWidget& w) {
    auto& dialog = as<QFileDialog>(w);
    if (filterShown != nullptr) *filterShown = dialog.selectedNameFilter();
    auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (name == nullptr) throw std::runtime_error("the file dialog has no name box");
    name->setText(path);
    static_cast<QDialog&>(dialog).accept();
  };
}

DialogDriver::Step cancel() {
  return [](QWidget& w) { as<QDialog>(w).reject(); };
}

DialogDriver::Step click(QMessageBox::StandardButton button, QString* text = nullptr) {
  return [button, text](QWidget& w) {
    auto& box = as<QMessageBox>(w);
    if (text != nullptr) *text = box.text();
    box.button(button)->click();
  };
}

const QString kFilter = QStringLiteral("All files (*.*)|*.*|ATR*.dat files|ATR*.dat");

TEST(QtToolkit, OpenDialogShowsTheFilterAskedForAndAnswersTheChoiceOrNothing) {
  const ScratchDir scratch;
  const QString path = QString::fromStdString(scratch.write("ATR20050103w1.dat", "x"));
  QtToolkit toolkit;
  for (const auto& [first, description] : {std::pair(1, "All files (*.*)"),
                                           std::pair(2, "ATR*.dat files")}) {
    QString shown;
    const DialogDriver driver{choose(path, &shown)};
    const FileDialogSettings settings{"Open", kFilter, first, "dat", DialogFlag::kFileMustExist};
    EXPECT_EQ(toolkit.openFileName(nullptr, settings), path);
    EXPECT_EQ(shown, description);
  }
  const DialogDriver driver{cancel()};
  EXPECT_EQ(toolkit.openFileName(nullptr, {"Open", kFilter}), std::nullopt);
}

// Choosing an existing file asks before replacing it only when the command wants that asked;
// "No" returns to the dialog.
TEST(QtToolkit, SaveDialogAsksBeforeReplacingOnlyWhenTold) {
  const ScratchDir scratch;
  const QString existing = QString::fromStdString(scratch.write("old.csv", "x"));
  QtToolkit toolkit;
  const auto settings = [](unsigned flags) {
    return FileDialogSettings{"Save", "*.csv files|*.csv", 1, "csv", flags};
  };
  {
    QString question;
    const DialogDriver driver{choose(existing), click(QMessageBox::No, &question), cancel()};
    EXPECT_EQ(toolkit.saveFileName(nullptr, settings(DialogFlag::kOverwritePrompt)), std::nullopt);
    EXPECT_TRUE(question.contains("old.csv")) << question.toStdString();
  }
  {
    const DialogDriver driver{choose(existing), click(QMessageBox::Yes)};
    EXPECT_EQ(toolkit.saveFileName(nullptr, settings(DialogFlag::kOverwritePrompt)), existing);
  }
  {
    const DialogDriver driver{choose(existing)};
    EXPECT_EQ(toolkit.saveFileName(nullptr, settings(0)), existing);
    EXPECT_TRUE(driver.unexpected.isEmpty()) << driver.unexpected.join(", ").toStdString();
  }
  const DialogDriver driver{choose(QString::fromStdString(scratch.file("new")))};
  EXPECT_EQ(toolkit.saveFileName(nullptr, settings(0)),
            QString::fromStdString(scratch.file("new.csv")));
}

TEST(QtToolkit, MessageBoxShowsTheTextWithPlainLineBreaksUnderTheTitleAndIcon) {
  QtToolkit toolkit;
  QString title;
  QMessageBox::Icon icon{};
  QString text;
  const DialogDriver driver{[&](QWidget& w) {
                              title = w.windowTitle();
                              icon = as<QMessageBox>(w).icon();
                              click(QMessageBox::Ok, &text)(w);
                            },
                            [&](QWidget& w) {
                              title += " | " + w.windowTitle();
                              icon = as<QMessageBox>(w).icon() == QMessageBox::Information
                                         ? icon
                                         : QMessageBox::NoIcon;
                              click(QMessageBox::Ok)(w);
                            }};
  toolkit.showMessage(nullptr, "one\r\ntwo", MessageIcon::Exclamation, "");
  toolkit.showMessage(nullptr, "x", MessageIcon::Information, kWarningTitle);
  EXPECT_EQ(text, "one\ntwo");
  EXPECT_EQ(title, kAppTitle + " | " + kWarningTitle);
  EXPECT_EQ(icon, QMessageBox::Warning);
}

TEST(NameFiltersFor, PairsBecomeNameFiltersAndStarDotStarMatchesEverything) {
  EXPECT_EQ(nameFiltersFor(kFilter),
            QStringList({"All files (*.*) (*)", "ATR*.dat files (ATR*.dat)"}));
}

}  // namespace
}  // namespace ostrilo::test
