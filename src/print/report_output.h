#pragma once
// Where the report page goes: a printer (also the one of a print preview), a
// PDF, PNG or SVG file. Every output draws the same page with PrintReport
// through a PainterSurface; files are written whole or not at all.

#include "print/report_page.h"

#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>
#include <string>
#include <vector>

class QPainter;
class QPrinter;

namespace zov {

enum class PageFormat { Pdf, Png, Svg };

// The format named by the file's extension (case ignored), if known.
std::optional<PageFormat> pageFormatFor(const QString& path);

// Files written by the program are A4 portrait with 10 mm margins; images
// have this resolution (pen widths are scaled to it).
inline constexpr int kReportImageDpi = 200;

// The page of image files at `dpi`: its size and its printable area, in pixels.
struct ReportImagePage {
    QSize full;
    QRect printable;
};
ReportImagePage reportImagePage(int dpi);

// The part of a printable area the page is drawn in: as wide as the area and
// 1.4 times as high (narrower when the area is not that high), at its top,
// centred across. The page's units are stretched over it.
QRect reportTargetRect(const QRect& printableArea);

// Draws the page on an open painter whose printable area is `printableArea`
// (device pixels); the device's resolution scales the pens.
void paintReport(QPainter& painter, const QRect& printableArea, const ReportInputs& inputs);

// The page in the format of `path`'s extension, as the bytes of the file.
// Empty with a reason in *error when the format is unknown or the page could
// not be drawn.
std::optional<std::string> renderReport(const QString& path, const ReportInputs& inputs, QString* error);

// Writes the page to `path` in the format of its extension, replacing the file
// only when the whole page was written. False with the reason in *error.
bool writeReport(const QString& path, const ReportInputs& inputs, QString* error);

// Prints the page on `printer` and ends the document (the page goes to the
// printer). False with the reason in *error when the printer could not start
// or failed; the document is then not ended.
bool printReport(QPrinter& printer, const ReportInputs& inputs, QString* error);

// The curve texts of "Hard copy": each file read whole, in the order given.
// A file that cannot be opened or read is skipped and its path listed in
// *skipped (when given).
std::vector<std::string> readCurveFiles(const QStringList& paths, QStringList* skipped = nullptr);

}  // namespace zov
