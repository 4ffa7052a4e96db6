#include "gui/toolkit/Toolkit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QMessageBox>
#include <QRegularExpression>

namespace ostrilo {

namespace {

std::optional<QStringList> runFileDialog(QWidget* parent, const FileDialogSettings& settings,
                                         QFileDialog::AcceptMode mode, bool several = false) {
  QFileDialog dialog(parent, settings.title);
  dialog.setAcceptMode(mode);
  // The description already shows its pattern ("All files (*.*)"); Qt's own copy of the
  // pattern would only repeat it.
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  const QStringList filters = nameFiltersFor(settings.filter);
  dialog.setNameFilters(filters);
  if (settings.firstFilter >= 1 && settings.firstFilter <= filters.size()) {
    dialog.selectNameFilter(filters.at(settings.firstFilter - 1));
  }
  dialog.setDefaultSuffix(settings.defaultExtension);
  // A name typed without an extension takes the chosen type's, so that picking a type is
  // enough; "All files" keeps the dialog's own.
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                   [&dialog, fallback = settings.defaultExtension](const QString& filter) {
                     static const QRegularExpression single(QStringLiteral("\\(\\*\\.(\\w+)\\)$"));
                     const auto match = single.match(filter);
                     dialog.setDefaultSuffix(match.hasMatch() ? match.captured(1) : fallback);
                   });
  if (mode == QFileDialog::AcceptSave) {
    dialog.setFileMode(QFileDialog::AnyFile);
    if (!(settings.flags & DialogFlag::kOverwritePrompt)) {
      dialog.setOption(QFileDialog::DontConfirmOverwrite);
    }
  } else {
    QFileDialog::FileMode fileMode = (settings.flags & DialogFlag::kFileMustExist)
                                         ? QFileDialog::ExistingFile
                                         : QFileDialog::AnyFile;
    if (several) fileMode = QFileDialog::ExistingFiles;
    dialog.setFileMode(fileMode);
  }
  // A proposal ending in a separator is a folder to open in, with no name.
  if (settings.initialFileName.endsWith(u'/')) {
    dialog.setDirectory(settings.initialFileName);
  } else if (!settings.initialFileName.isEmpty()) {
    dialog.selectFile(settings.initialFileName);
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
    return std::nullopt;
  }
  return dialog.selectedFiles();
}

std::optional<QString> firstOf(const std::optional<QStringList>& files) {
  if (!files) return std::nullopt;
  return files->constFirst();
}

}  // namespace

QStringList nameFiltersFor(const QString& filter) {
  const QStringList parts = filter.split(QLatin1Char('|'));
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString pattern = parts.at(i + 1);
    pattern.replace(QLatin1String("*.*"), QLatin1String("*"));
    pattern.replace(QLatin1Char(';'), QLatin1Char(' '));
    filters << QStringLiteral("%1 (%2)").arg(parts.at(i), pattern);
  }
  return filters;
}

std::optional<QStringList> Toolkit::openFileNames(QWidget* parent,
                                                  const FileDialogSettings& settings) {
  const auto path = openFileName(parent, settings);
  if (!path) return std::nullopt;
  return QStringList{*path};
}

bool Toolkit::askChoices(QWidget*, const QString&, std::vector<Choice>&) { return true; }

bool QtToolkit::askChoices(QWidget* parent, const QString& title, std::vector<Choice>& choices) {
  QDialog dialog(parent);
  dialog.setObjectName(QStringLiteral("choices"));
  dialog.setWindowTitle(title);
  auto* form = new QFormLayout(&dialog);
  std::vector<QWidget*> fields;
  for (const Choice& choice : choices) {
    if (choice.options.isEmpty()) {
      auto* box = new QCheckBox(choice.label, &dialog);
      box->setChecked(choice.chosen != 0);
      form->addRow(box);
      fields.push_back(box);
    } else {
      auto* box = new QComboBox(&dialog);
      box->addItems(choice.options);
      box->setCurrentIndex(choice.chosen);
      form->addRow(choice.label, box);
      fields.push_back(box);
    }
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  form->addRow(buttons);
  if (dialog.exec() != QDialog::Accepted) return false;
  for (std::size_t i = 0; i < choices.size(); ++i) {
    if (auto* box = qobject_cast<QCheckBox*>(fields[i])) {
      choices[i].chosen = box->isChecked() ? 1 : 0;
    } else if (auto* combo = qobject_cast<QComboBox*>(fields[i])) {
      choices[i].chosen = combo->currentIndex();
    }
  }
  return true;
}

void QtToolkit::showMessage(QWidget* parent, const QString& text, MessageIcon icon,
                            const QString& title) {
  QMessageBox box(
      icon == MessageIcon::Exclamation ? QMessageBox::Warning : QMessageBox::Information,
      title.isEmpty() ? kAppTitle : title, QString(text).replace("\r\n", "\n"), QMessageBox::Ok,
      parent);
  box.exec();
}

std::optional<QString> QtToolkit::openFileName(QWidget* parent,
                                               const FileDialogSettings& settings) {
  return firstOf(runFileDialog(parent, settings, QFileDialog::AcceptOpen));
}

std::optional<QString> QtToolkit::saveFileName(QWidget* parent,
                                               const FileDialogSettings& settings) {
  return firstOf(runFileDialog(parent, settings, QFileDialog::AcceptSave));
}

std::optional<QStringList> QtToolkit::openFileNames(QWidget* parent,
                                                    const FileDialogSettings& settings) {
  return runFileDialog(parent, settings, QFileDialog::AcceptOpen, true);
}

}  // namespace ostrilo
