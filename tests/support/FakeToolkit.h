#pragma once

// A toolkit that records every message and dialog and answers dialogs from a queue.

#include <gtest/gtest.h>

#include <QString>
#include <QStringList>
#include <deque>
#include <optional>
#include <ostream>
#include <vector>

#include "gui/toolkit/Toolkit.h"

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
  enum class DialogKind { Open, Save, OpenMany };
  struct Dialog {
    DialogKind kind;
    FileDialogSettings settings;
  };

  void answer(std::optional<QString> path) {
    m_answers.push_back(path ? std::optional(QStringList{*path}) : std::nullopt);
  }
  // For the dialog that picks several files.
  void answerMany(QStringList paths) { m_answers.push_back(std::move(paths)); }
  void showMessage(QWidget*, const QString& text, MessageIcon icon, const QString& title) override {
    messages.push_back({text, icon, title});
  }
  std::optional<QString> openFileName(QWidget*, const FileDialogSettings& s) override {
    return one(ask(DialogKind::Open, s));
  }
  std::optional<QString> saveFileName(QWidget*, const FileDialogSettings& s) override {
    return one(ask(DialogKind::Save, s));
  }
  std::optional<QStringList> openFileNames(QWidget*, const FileDialogSettings& s) override {
    return ask(DialogKind::OpenMany, s);
  }

  // The options dialog: recorded with the choices it was asked; answers from its own queue
  // (a list of chosen values, or nullopt for Cancel), the choices as given when it is empty.
  struct ChoiceDialog {
    QString title;
    std::vector<Choice> asked;
  };
  void answerChoices(std::optional<std::vector<int>> chosen) {
    m_choiceAnswers.push_back(std::move(chosen));
  }
  bool askChoices(QWidget*, const QString& title, std::vector<Choice>& choices) override {
    choiceDialogs.push_back({title, choices});
    if (m_choiceAnswers.empty()) return true;
    const std::optional<std::vector<int>> answer = m_choiceAnswers.front();
    m_choiceAnswers.pop_front();
    if (!answer) return false;
    for (std::size_t i = 0; i < choices.size() && i < answer->size(); ++i) {
      choices[i].chosen = (*answer)[i];
    }
    return true;
  }

  std::vector<Message> messages;
  std::vector<Dialog> dialogs;
  std::vector<ChoiceDialog> choiceDialogs;

 private:
  std::optional<QStringList> ask(DialogKind kind, const FileDialogSettings& settings) {
    dialogs.push_back({kind, settings});
    if (m_answers.empty()) {
      ADD_FAILURE() << "unexpected file dialog: " << settings.title.toStdString();
      return std::nullopt;
    }
    std::optional<QStringList> paths;
    paths.swap(m_answers.front());
    m_answers.pop_front();
    return paths;
  }
  static std::optional<QString> one(const std::optional<QStringList>& paths) {
    if (!paths) return std::nullopt;
    EXPECT_EQ(paths->size(), 1) << "several files answered to a dialog that takes one";
    return paths->value(0);
  }

  std::deque<std::optional<QStringList>> m_answers;
  std::deque<std::optional<std::vector<int>>> m_choiceAnswers;
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

}  // namespace ostrilo::test
