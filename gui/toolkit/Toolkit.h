#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

class QWidget;

namespace ostrilo {

enum class MessageIcon { Exclamation, Information };

// The title of every message box that has no title of its own.
inline const QString kAppTitle = QStringLiteral("OstriloV2");
inline const QString kWarningTitle = QStringLiteral("Ostrilo Warning!!!");

// Standard file-dialog flags, as the commands state them.
namespace DialogFlag {
inline constexpr unsigned kOverwritePrompt = 0x2;
inline constexpr unsigned kHideReadOnly = 0x4;
inline constexpr unsigned kPathMustExist = 0x800;
inline constexpr unsigned kFileMustExist = 0x1000;
inline constexpr unsigned kNoReadOnlyReturn = 0x8000;
}  // namespace DialogFlag

// What a command asks of a file dialog before it opens it.
struct FileDialogSettings {
  QString title;
  // Pairs of a description and a pattern, all separated by "|": "All files (*.*)|*.*|...".
  QString filter;
  int firstFilter = 1;  // 1-based pair shown when the dialog opens
  QString defaultExtension;
  unsigned flags = 0;
  QString initialFileName;
};

// One question of an options dialog: a check box when it has no options (chosen 1 is checked),
// else a box of its options (chosen is the option's position).
struct Choice {
  QString label;
  QStringList options;
  int chosen = 0;
};

// Message boxes and file dialogs, behind one small interface so that the commands can be driven
// by tests with a fake that records messages and answers with canned paths.
class Toolkit {
 public:
  virtual ~Toolkit() = default;

  // A modal box with an OK button. Line breaks may be given as CR LF.
  virtual void showMessage(QWidget* parent, const QString& text, MessageIcon icon,
                           const QString& title) = 0;
  // The chosen full path, or nothing when the user cancelled.
  virtual std::optional<QString> openFileName(QWidget* parent,
                                              const FileDialogSettings& settings) = 0;
  virtual std::optional<QString> saveFileName(QWidget* parent,
                                              const FileDialogSettings& settings) = 0;
  // Several existing files at once, in the order the dialog gives them; nothing when the user
  // cancelled. A toolkit that picks one file at a time answers that one.
  virtual std::optional<QStringList> openFileNames(QWidget* parent,
                                                   const FileDialogSettings& settings);
  // Asks the choices in one modal dialog with OK and Cancel; the answers are left in them.
  // False when the user cancelled. A toolkit without such a dialog takes the choices as given.
  virtual bool askChoices(QWidget* parent, const QString& title, std::vector<Choice>& choices);
};

// The real toolkit: QMessageBox and QFileDialog.
class QtToolkit final : public Toolkit {
 public:
  void showMessage(QWidget* parent, const QString& text, MessageIcon icon,
                   const QString& title) override;
  std::optional<QString> openFileName(QWidget* parent, const FileDialogSettings& settings) override;
  std::optional<QString> saveFileName(QWidget* parent, const FileDialogSettings& settings) override;
  std::optional<QStringList> openFileNames(QWidget* parent,
                                           const FileDialogSettings& settings) override;
  bool askChoices(QWidget* parent, const QString& title, std::vector<Choice>& choices) override;
};

// The dialog's name filters for a "description|pattern|..." filter text. "*.*" matches every
// file, as users of such filters expect, also names without a dot.
[[nodiscard]] QStringList nameFiltersFor(const QString& filter);

}  // namespace ostrilo
