// zov-cli report FILE.tdf [FILE.tdf ...] --out OUT.pdf|OUT.png|OUT.svg
//                [--legend TEXT] [--vdiv V] [--madiv MA] [--pd W]
//                [--ua0 V --ia0 MA --load KOHM]
//
// Draws the "Hard copy" page for up to five TDF files (in slot order) with the
// given scales and, when an operating point is given, its marker and load
// line. The page is the window's printed page, drawn by the same code.
//
// Exit codes: 0 written; 1 the output file could not be written; 2 usage
// error, or an input file that could not be read (the page is still written
// without it, and the file is named on standard error).

#include "app/cli/commands.h"
#include "plot/scales.h"
#include "print/report_output.h"
#include "print/report_page.h"
#include "design/load_line.h"
#include "core/text.h"

#include <QCommandLineParser>

#include <cstdio>
#include <optional>
#include <string>

#include "zov_version.h"

namespace zov::cli {

namespace {

constexpr int kMaxFiles = 5;  // the comparison slots

int fail(int code, const QString& message)
{
    std::fprintf(stderr, "zov-cli report: %s\n", qPrintable(message));
    return code;
}

// A whole option value that is a number (no trailing text).
std::optional<double> wholeNumber(const QString& text)
{
    const QByteArray bytes = text.trimmed().toLatin1();
    const std::string_view view(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    std::size_t consumed = 0;
    const double value = numericValue(view, &consumed);
    if (consumed == 0 || consumed != view.size())
        return std::nullopt;
    return value;
}

}  // namespace

int runReport(const QStringList& args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Draw the printed page of up to five TDF files."));
    parser.addPositionalArgument(QStringLiteral("files"), QStringLiteral("TDF files, in slot order (1 to 5)"),
                                 QStringLiteral("FILE.tdf [FILE.tdf ...]"));
    const QCommandLineOption out(QStringLiteral("out"), QStringLiteral("The page: .pdf, .png or .svg."),
                                 QStringLiteral("OUT"));
    const QCommandLineOption legend(QStringLiteral("legend"), QStringLiteral("The one-line legend."),
                                    QStringLiteral("TEXT"));
    const QCommandLineOption vdiv(QStringLiteral("vdiv"), QStringLiteral("Volts per division (20)."),
                                  QStringLiteral("V"), QStringLiteral("20"));
    const QCommandLineOption madiv(QStringLiteral("madiv"), QStringLiteral("Milliamperes per division (1)."),
                                   QStringLiteral("MA"), QStringLiteral("1"));
    const QCommandLineOption pd(QStringLiteral("pd"), QStringLiteral("Anode dissipation limit in watts (2)."),
                                QStringLiteral("W"), QStringLiteral("2"));
    const QCommandLineOption ua0(QStringLiteral("ua0"), QStringLiteral("Operating point: anode voltage."),
                                 QStringLiteral("V"));
    const QCommandLineOption ia0(QStringLiteral("ia0"), QStringLiteral("Operating point: anode current."),
                                 QStringLiteral("MA"));
    const QCommandLineOption load(QStringLiteral("load"), QStringLiteral("Operating point: load in kOhm."),
                                  QStringLiteral("KOHM"));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("This text."));
    parser.addOptions({out, legend, vdiv, madiv, pd, ua0, ia0, load, help});

    if (!parser.parse(QStringList{QStringLiteral("zov-cli report")} + args))
        return usageError(parser.errorText());
    if (parser.isSet(help)) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return 0;
    }
    const QStringList files = parser.positionalArguments();
    if (files.isEmpty())
        return usageError(QStringLiteral("report needs at least one TDF file"));
    if (files.size() > kMaxFiles)
        return usageError(QStringLiteral("report takes at most %1 TDF files").arg(kMaxFiles));
    const QString outPath = parser.value(out);
    if (outPath.isEmpty())
        return usageError(QStringLiteral("report needs --out FILE"));
    if (!pageFormatFor(outPath))
        return usageError(QStringLiteral("unknown output format (use .pdf, .png or .svg): ") + outPath);

    ReportInputs inputs;
    // Scales must be positive (a zero or negative scale has no picture); the
    // limit may be 0 but not negative.
    const auto positive = [&](const QCommandLineOption& option, float& value, bool allowZero) {
        const auto number = wholeNumber(parser.value(option));
        if (!number || *number < 0.0 || (!allowZero && *number == 0.0))
            return false;
        value = static_cast<float>(*number);
        return true;
    };
    if (!positive(vdiv, inputs.voltsPerDiv, false))
        return usageError(QStringLiteral("--vdiv expects a number above 0: ") + parser.value(vdiv));
    if (!positive(madiv, inputs.maPerDiv, false))
        return usageError(QStringLiteral("--madiv expects a number above 0: ") + parser.value(madiv));
    float pdW = 0.0F;
    if (!positive(pd, pdW, true))
        return usageError(QStringLiteral("--pd expects a number of 0 or more: ") + parser.value(pd));
    inputs.powerText = parser.value(pd).trimmed().toStdString();

    const int pointOptions = int(parser.isSet(ua0)) + int(parser.isSet(ia0)) + int(parser.isSet(load));
    if (pointOptions != 0 && pointOptions != 3)
        return usageError(QStringLiteral("an operating point needs --ua0, --ia0 and --load together"));
    if (pointOptions == 3) {
        float ua = 0.0F;
        float iaMa = 0.0F;
        float loadKOhm = 0.0F;
        if (!positive(ua0, ua, true) || !positive(ia0, iaMa, true) || !positive(load, loadKOhm, false))
            return usageError(QStringLiteral("--ua0 and --ia0 expect numbers of 0 or more, --load a number above 0"));
        Workspace scales;
        updateScales(scales, parser.value(vdiv).toStdString(), parser.value(madiv).toStdString());
        const float x = UaToX(scales, ua);
        const float y = IaToY(scales, iaMa);
        // As in the window: a point outside the margins is not placed.
        if (!isWithinPlotMargins(x, y))
            return usageError(QStringLiteral("the operating point lies outside the plot at these scales"));
        inputs.operatingPoint = ReportOperatingPoint{x, y, loadKOhm};
    }
    inputs.legend = parser.value(legend).toStdString();
    inputs.version = ZOV_VERSION_STRING;
    // There is no window here: the plot counts as square.
    inputs.pageHeightUnits = reportPageHeight(1, 1);

    QStringList skipped;
    inputs.curveTexts = readCurveFiles(files, &skipped);
    for (const QString& path : skipped)
        std::fprintf(stderr, "zov-cli report: cannot read %s (skipped)\n", qPrintable(path));

    QString error;
    if (!writeReport(outPath, inputs, &error))
        return fail(1, QStringLiteral("cannot write ") + outPath + QStringLiteral(": ") + error);
    return skipped.isEmpty() ? 0 : 2;
}

}  // namespace zov::cli
