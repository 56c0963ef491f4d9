// The report page on its devices: PDF, PNG and SVG files written whole or not
// at all, a printer (PDF-backed), and zov-cli report run as a separate process.
// PDF text is read back with pdftotext (poppler-utils).
#include "cli_runner.h"
#include "files/atomic_write.h"
#include "print/report_output.h"
#include "print/report_page.h"
#include "core/text.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

namespace zov {
namespace {

using namespace zov::testing;

// A family of three straight curves (V, A): -1 V from (50 V, 2 mA) to
// (150 V, 6 mA), -2 V and -3 V lower; at 20 V/div, 1 mA/div they stay inside.
std::string threeCurves()
{
    std::string text;
    for (int g = 1; g <= 3; ++g) {
        for (int k = 0; k <= 10; ++k) {
            const double ua = 50.0 + 10.0 * k;
            const double ia = (2.0 + 0.4 * k) / 1000.0 / g;
            text += formatGeneral(ua) + " " + formatGeneral(ia) + " -" + std::to_string(g) + " 0 0\r\n";
        }
    }
    return text;
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The text of a PDF through pdftotext, or nothing when the tool is missing.
std::optional<QString> pdfText(const QString& path)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (tool.isEmpty())
        return std::nullopt;
    QProcess p;
    p.start(tool, {path, QStringLiteral("-")});
    if (!p.waitForFinished(30000))
        return QString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

int pdfPages(const QString& path)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdfinfo"));
    if (tool.isEmpty())
        return -1;
    QProcess p;
    p.start(tool, {path});
    p.waitForFinished(30000);
    for (const QString& line : QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n')))
        if (line.startsWith(QLatin1String("Pages:")))
            return line.mid(6).trimmed().toInt();
    return 0;
}

ReportInputs sampleInputs()
{
    ReportInputs in;
    in.curveTexts = {threeCurves()};
    in.legend = "ECC83 left half, Ua sweep";
    in.version = "3.4.5";
    return in;
}

TEST(ReportOutput, FilesAreWrittenWholeOrNotAtAll)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const ReportInputs in = sampleInputs();
    const struct {
        const char* name;
        const char* magic;
    } formats[] = {{"page.pdf", "%PDF-"}, {"page.png", "\x89PNG"}, {"page.svg", "<?xml"}};
    for (const auto& f : formats) {
        SCOPED_TRACE(f.name);
        QString error;
        const QString path = dir.filePath(QString::fromLatin1(f.name));
        ASSERT_TRUE(writeReport(path, in, &error)) << error.toStdString();
        EXPECT_TRUE(readAll(path).startsWith(f.magic));

        // A write that fails keeps the earlier page and says why.
        setInjectedWriteFailure(QStringLiteral("disk full"));
        const QByteArray before = readAll(path);
        ReportInputs other = in;
        other.legend = "another legend";
        EXPECT_FALSE(writeReport(path, other, &error));
        setInjectedWriteFailure(QString());
        EXPECT_EQ(error, QStringLiteral("disk full"));
        EXPECT_EQ(readAll(path), before);
    }
    QString error;
    EXPECT_FALSE(writeReport(dir.filePath(QStringLiteral("no/such/folder/page.pdf")), in, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("no/such/folder/page.pdf"))));
    EXPECT_FALSE(writeReport(dir.filePath(QStringLiteral("page.txt")), in, &error));
    EXPECT_EQ(error, QStringLiteral("Unknown page format (use .pdf, .png or .svg)"));
}

TEST(ReportOutput, PdfAndPrinterPagesHoldLegendAndFooter)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const ReportInputs in = sampleInputs();
    const QString written = dir.filePath(QStringLiteral("written.pdf"));
    QString error;
    ASSERT_TRUE(writeReport(written, in, &error));

    // The printer path, on a printer that writes PDF.
    const QString printed = dir.filePath(QStringLiteral("printed.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(printed);
    ASSERT_TRUE(printReport(printer, in, &error)) << error.toStdString();

    for (const QString& path : {written, printed}) {
        SCOPED_TRACE(path.toStdString());
        const auto text = pdfText(path);
        if (!text)
            GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
        EXPECT_TRUE(text->contains(QStringLiteral("ECC83 left half, Ua sweep"))) << text->toStdString();
        EXPECT_TRUE(text->contains(QStringLiteral("Drawn with ZOV V3.4.5"))) << text->toStdString();
        EXPECT_EQ(pdfPages(path), 1);
    }
}

// Pixel of a page position on the PNG page.
struct PngGeometry {
    QRect target;
    double pageHeight;
    QPoint at(double x, double y) const
    {
        return QPoint(target.left() + static_cast<int>(std::lround(x * (target.width() - 1) / 65536.0)),
                      target.top()
                          + static_cast<int>(std::lround(y / pageHeight * (target.height() - 1))));
    }
};

PngGeometry pngGeometry(double pageHeight)
{
    return PngGeometry{reportTargetRect(reportImagePage(kReportImageDpi).printable), pageHeight};
}

bool isDark(QRgb c) { return qRed(c) < 60 && qGreen(c) < 60 && qBlue(c) < 60; }
bool isGrey(QRgb c) { return qRed(c) == 128 && qGreen(c) == 128 && qBlue(c) == 128; }

TEST(ReportCli, WritesThePageAsPdfPngAndSvg)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString tdf = writeTempFile(dir, QStringLiteral("three.tdf"), QByteArray::fromStdString(threeCurves()));
    const QString pdf = dir.filePath(QStringLiteral("page.pdf"));
    const CliRun run = runCli({QStringLiteral("report"), tdf, QStringLiteral("--out"), pdf,
                               QStringLiteral("--legend"), QStringLiteral("Three curves at 1 mA/div")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    if (const auto text = pdfText(pdf)) {
        EXPECT_TRUE(text->contains(QStringLiteral("Three curves at 1 mA/div"))) << text->toStdString();
        EXPECT_TRUE(text->contains(QStringLiteral("Drawn with ZOV V"))) << text->toStdString();
        EXPECT_EQ(pdfPages(pdf), 1);
    } else {
        ADD_FAILURE() << "pdftotext (poppler-utils) is not installed; scripts/install-deps.sh installs it";
    }

    const QString png = dir.filePath(QStringLiteral("page.png"));
    ASSERT_EQ(runCli({QStringLiteral("report"), tdf, QStringLiteral("--out"), png}).exitCode, 0);
    const QImage image(png);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), reportImagePage(kReportImageDpi).full);
    const PngGeometry g = pngGeometry(reportPageHeight(1, 1));
    // The middle of each straight curve is black: x = 100 V, y = 4 mA / g.
    for (int grid = 1; grid <= 3; ++grid) {
        const QPoint p = g.at(100.0 * 409.6, 65536.0 - 4.0 / grid * 8192.0);
        bool dark = false;
        for (int dy = -1; dy <= 1; ++dy)
            dark = dark || isDark(image.pixel(p.x(), p.y() + dy));
        EXPECT_TRUE(dark) << "curve " << grid << " at " << p.x() << ", " << p.y();
    }
    // Where no curve runs (130 V, 3.5 mA) the page is white, and a horizontal
    // grid line (2 mA) is dotted grey: grey and white pixels along it.
    EXPECT_EQ(image.pixel(g.at(130 * 409.6, 65536 - 3.5 * 8192)) & 0xFFFFFF, 0xFFFFFFU);
    int grey = 0;
    int white = 0;
    for (int x = 0; x < 60; ++x) {
        const QPoint p = g.at(130 * 409.6, 65536 - 2 * 8192) + QPoint(x, 0);
        const QRgb c = image.pixel(p);
        grey += isGrey(c);
        white += (c & 0xFFFFFF) == 0xFFFFFF;
    }
    EXPECT_GT(grey, 10);
    EXPECT_GT(white, 10);

    const QString svg = dir.filePath(QStringLiteral("page.svg"));
    ASSERT_EQ(runCli({QStringLiteral("report"), tdf, QStringLiteral("--out"), svg}).exitCode, 0);
    EXPECT_TRUE(readAll(svg).contains("Drawn with ZOV V"));
}

TEST(ReportCli, ExitCodesAndMessages)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString tdf = writeTempFile(dir, QStringLiteral("a.tdf"), QByteArray::fromStdString(threeCurves()));
    const QString out = dir.filePath(QStringLiteral("out.pdf"));
    const QString missing = dir.filePath(QStringLiteral("missing.tdf"));
    const QString r = QStringLiteral("report");
    const QString o = QStringLiteral("--out");
    const struct {
        const char* name;
        QStringList args;
        int exitCode;
        const char* stderrHas;
        bool written;
    } cases[] = {
        {"written", {r, tdf, o, out}, 0, "", true},
        {"no file", {r, o, out}, 2, "at least one", false},
        {"six files", {r, tdf, tdf, tdf, tdf, tdf, tdf, o, out}, 2, "at most 5", false},
        {"no --out", {r, tdf}, 2, "--out", false},
        {"unknown format", {r, tdf, o, dir.filePath(QStringLiteral("out.bmp"))}, 2, "unknown output format", false},
        {"zero scale", {r, tdf, o, out, QStringLiteral("--vdiv"), QStringLiteral("0")}, 2, "--vdiv", false},
        {"half an operating point", {r, tdf, o, out, QStringLiteral("--ua0"), QStringLiteral("200")}, 2, "--ia0",
         false},
        {"operating point off the plot",
         {r, tdf, o, out, QStringLiteral("--ua0"), QStringLiteral("900"), QStringLiteral("--ia0"),
          QStringLiteral("2"), QStringLiteral("--load"), QStringLiteral("50")},
         2, "outside", false},
        {"unreadable file skipped and named", {r, missing, tdf, o, out}, 2, "missing.tdf", true},
        {"output cannot be written", {r, tdf, o, dir.filePath(QStringLiteral("no/folder/out.pdf"))}, 1,
         "cannot write", false},
        {"with an operating point",
         {r, tdf, o, out, QStringLiteral("--ua0"), QStringLiteral("100"), QStringLiteral("--ia0"),
          QStringLiteral("3"), QStringLiteral("--load"), QStringLiteral("50")},
         0, "", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(out);
        const CliRun run = runCli(c.args);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(c.stderrHas)) << run.err.toStdString();
        EXPECT_EQ(QFile::exists(out), c.written);
    }
}

}  // namespace
}  // namespace zov
