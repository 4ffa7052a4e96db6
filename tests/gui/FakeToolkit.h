#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <deque>
#include <optional>
#include <ostream>
#include <vector>

#include "toolkit/Toolkit.h"

namespace ostrilo::test {

// Stands in for the message boxes and file dialogs: every message and every dialog request is
// recorded, and each dialog takes the next queued answer (std::nullopt is Cancel).
class FakeToolkit final : public Toolkit {
 public:
  struct Message {
    QString text;
    MessageIcon icon;
    QString title;
    friend bool operator==(const Message&, const Message&) = default;
    friend void PrintTo(const Message& m, std::ostream* os) {
      *os << (m.icon == MessageIcon::Exclamation ? "warning " : "information ") << '"'
          << m.title.toStdString() << "\": \"" << m.text.toStdString() << '"';
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
  std::optional<QString> openFileName(QWidget*, const FileDialogSettings& settings) override {
    return ask(DialogKind::Open, settings);
  }
  std::optional<QString> saveFileName(QWidget*, const FileDialogSettings& settings) override {
    return ask(DialogKind::Save, settings);
  }

  std::vector<Message> messages;
  std::vector<Dialog> dialogs;

 private:
  std::optional<QString> ask(DialogKind kind, const FileDialogSettings& settings) {
    dialogs.push_back({kind, settings});
    // A dialog nobody prepared an answer for is a mistake in the test; Cancel keeps it harmless.
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
  return {text, MessageIcon::Information, QStringLiteral("OstriloV2")};
}
inline FakeToolkit::Message warning(const QString& text) {
  return {text, MessageIcon::Exclamation, QStringLiteral("Ostrilo Warning!!!")};
}

}  // namespace ostrilo::test
