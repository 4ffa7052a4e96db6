#pragma once

#include <string>
#include <vector>

#include "core/report/ReportPage.h"

class QCPPainter;
class QLocale;
class QPageSize;
class QRectF;

namespace ostrilo {

// Letter for the United States and Canada, A4 everywhere else.
[[nodiscard]] QPageSize reportPageSize(const QLocale& locale);

// Writes one PDF, portrait, a page per element of pages (reportPages fills them): the station
// and its period, the daily graph of the picked dates (gaps and critical days marked), the
// average weekday and weekend hourly profiles with their AM and PM peaks, the daily statistics,
// the annual figures of every calendar year the picked period spans whole, and the data-check
// summary with the worst fault episodes. The page size follows the default QLocale, and so do
// the numbers (reportLocale). Needs a QApplication (the charts are drawn by widgets). Throws
// ostrilo::Error naming path when the file cannot be written; a failed save leaves an existing
// file as it was. The whole document is held in memory until it is saved.
void writeStationReport(const std::string& path, const std::vector<ReportPage>& pages);

// One page of the report in the area, numbers in the locale's format.
void drawStationPage(QCPPainter& painter, const QRectF& area, const ReportPage& page,
                     const QLocale& locale);

}  // namespace ostrilo
