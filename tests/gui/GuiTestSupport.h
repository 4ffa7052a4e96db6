#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <deque>
#include <initializer_list>
#include <optional>
#include <ostream>
#include <vector>

#include "gui/charts/ChartWindow.h"
#include "gui/main/CountTable.h"
#include "gui/main/frmMain.h"
#include "gui/toolkit/Toolkit.h"
#include "tests/support/SelectionTestSupport.h"

inline void PrintTo(const QString& text, std::ostream* os) {
  *os << '"' << text.toStdString() << '"';
}

namespace ostrilo::test {

// Records every message and dialog; each dialog takes the next queued answer (nullopt: Cancel).
class FakeToolkit final : public Toolkit {
 public:
  struct Message {
    QString text;
    MessageIcon icon;
    QString title;
    friend bool operator==(const Message&, const Message&) = default;
    friend void PrintTo(const Message& m, std::ostream* os) {
      *os << m.title.toStdString() << ": " << m.text.toStdString();
    }
  };
  enum class DialogKind { Open, Save };
  struct Dialog {
    DialogKind kind;
    FileDialogSettings settings;
  };

  void answer(std::optional<QString> path) { m_answers.push_back(std::move(path)); }
  void showMessage(QWidget*, const QString& text, MessageIcon icon, const QString& title) override {
    messages.push_back({text, icon, title});
  }
  std::optional<QString> openFileName(QWidget*, const FileDialogSettings& s) override {
    return ask(DialogKind::Open, s);
  }
  std::optional<QString> saveFileName(QWidget*, const FileDialogSettings& s) override {
    return ask(DialogKind::Save, s);
  }

  std::vector<Message> messages;
  std::vector<Dialog> dialogs;

 private:
  std::optional<QString> ask(DialogKind kind, const FileDialogSettings& settings) {
    dialogs.push_back({kind, settings});
    if (m_answers.empty()) {
      ADD_FAILURE() << "unexpected file dialog: " << settings.title.toStdString();
      return std::nullopt;
    }
    auto path = std::move(m_answers.front());
    m_answers.pop_front();
    return path;
  }

  std::deque<std::optional<QString>> m_answers;
};

inline FakeToolkit::Message information(const QString& text) {
  return {text, MessageIcon::Information, kAppTitle};
}
inline FakeToolkit::Message warning(const QString& text) {
  return {text, MessageIcon::Exclamation, kWarningTitle};
}
// The selection check's warnings carry the program's title.
inline FakeToolkit::Message refusal(const QString& text) {
  return {text, MessageIcon::Exclamation, kAppTitle};
}

class LocaleGuard {
 public:
  explicit LocaleGuard(const QLocale& locale) { QLocale::setDefault(locale); }
  ~LocaleGuard() { QLocale::setDefault(m_saved); }
  LocaleGuard(const LocaleGuard&) = delete;
  LocaleGuard& operator=(const LocaleGuard&) = delete;

 private:
  QLocale m_saved;
};

inline QLocale unitedStates() { return QLocale(QLocale::English, QLocale::UnitedStates); }
inline QLocale germany() { return QLocale(QLocale::German, QLocale::Germany); }

inline QString sampleFile(const char* name) {
  return QStringLiteral(OSTRILO_SOURCE_DIR "/samples/") + QString::fromLatin1(name);
}

// The shown top-level windows of a kind; a window embedded in another is none of them.
template <typename Window = ChartWindow>
std::vector<Window*> openWindows() {
  std::vector<Window*> found;
  for (QWidget* top : QApplication::topLevelWidgets()) {
    if (auto* w = qobject_cast<Window*>(top); w != nullptr && w->isVisible()) found.push_back(w);
  }
  return found;
}

// Windows closed with WA_DeleteOnClose are only deleted by the event loop.
inline void flushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

// A shown main window over a fresh program-wide table; closing it closes the windows it opened.
class MainWindowTest : public ::testing::Test {
 protected:
  MainWindowTest() {
    releaseCountTable();
    window.show();
  }
  ~MainWindowTest() override {
    window.close();
    for (ChartWindow* chart : openWindows()) chart->close();
    flushDeletes();
    releaseCountTable();
  }

  void build(const QString& path) {
    window.txtATRfileName->setText(path);
    window.cmdBuildNew->click();
  }
  void add(const QString& path) {
    window.txtATRfileName->setText(path);
    window.cmdAdd2Table->click();
  }
  static void select(QListWidget* list, std::initializer_list<int> rows) {
    list->clearSelection();
    for (int row : rows) list->item(row)->setSelected(true);
  }

  LocaleGuard locale{unitedStates()};
  FakeToolkit toolkit;
  frmMain window{toolkit};
  ScratchDir scratch;
};

}  // namespace ostrilo::test
