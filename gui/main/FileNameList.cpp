#include "gui/main/FileNameList.h"

#include <optional>

namespace ostrilo {

namespace {

constexpr QChar kQuote = u'"';

std::optional<QStringList> quotedNames(const QString& text) {
  QStringList names;
  qsizetype i = 0;
  while (true) {
    while (i < text.size() && text.at(i).isSpace()) ++i;
    if (i == text.size()) return names;
    if (text.at(i) != kQuote) return std::nullopt;
    QString name;
    for (++i;; ++i) {
      if (i == text.size()) return std::nullopt;
      if (text.at(i) != kQuote) {
        name += text.at(i);
      } else if (i + 1 < text.size() && text.at(i + 1) == kQuote) {
        name += kQuote;
        ++i;
      } else {
        break;
      }
    }
    ++i;
    names << name;
  }
}

}  // namespace

QString fileNameListText(const QStringList& names) {
  if (names.size() == 1) return names.front();
  QStringList quoted;
  for (QString name : names) {
    quoted << kQuote + name.replace(kQuote, QStringLiteral("\"\"")) + kQuote;
  }
  return quoted.join(u' ');
}

QStringList fileNamesInText(const QString& text) {
  if (text.trimmed().startsWith(kQuote)) {
    if (auto names = quotedNames(text)) return *names;
  }
  return {text};
}

}  // namespace ostrilo
