#pragma once

#include <string>
#include <vector>

#include "core/report/ReportPage.h"

class QCPPainter;
class QLocale;
class QPageSize;
class QRectF;

namespace ostrilo {

class ATRTable;
class StationRegister;
struct PlotSelection;

// Letter for the United States and Canada, A4 everywhere else.
[[nodiscard]] QPageSize reportPageSize(const QLocale& locale);

// Writes one PDF, portrait, a page per picked station in list order: the station and its period,
// the daily graph of the picked dates (gaps and critical days marked), the average weekday and
// weekend hourly profiles with their AM and PM peaks in the options' windows, the daily
// statistics, the annual figures of every calendar year the picked period spans whole, and the
// data-check summary with the worst fault episodes, every figure over the valid days. sources names
// the table file or count files the table came from; names may be null. The page size follows
// the default QLocale, and so do the numbers (reportLocale). Needs a QApplication (the charts are
// drawn by widgets). Throws ostrilo::Error (Usage) with the message of CheckPlotSelection when the
// selection fails it, and ostrilo::Error naming path when the file cannot be written; a failed save
// leaves an existing file as it was. The whole document is held in memory until it is saved.
void writeStationReport(const std::string& path, const ATRTable& table,
                        const PlotSelection& selection, const std::vector<std::string>& sources,
                        const StationRegister* names, const ReportOptions& options = {});

// One page of the report in the area, numbers in the locale's format.
void drawStationPage(QCPPainter& painter, const QRectF& area, const ReportPage& page,
                     const QLocale& locale);

}  // namespace ostrilo
