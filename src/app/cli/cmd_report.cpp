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

#include "app/cli/command_options.h"
#include "app/cli/commands.h"
#include "app/cli/native_args.h"
#include "design/load_line.h"
#include "plot/scales.h"
#include "print/report_output.h"
#include "print/report_page.h"

#include <cstdio>
#include <string>

#include "zov_version.h"

namespace zov::cli {

namespace {

constexpr int kMaxFiles = 5;  // the comparison slots

const char kReportUsage[] =
    "Usage: zov-cli report FILE.tdf [FILE.tdf ...] --out FILE.pdf|FILE.png|FILE.svg\n"
    "                      [--legend TEXT] [--vdiv V] [--madiv MA] [--pd W]\n"
    "                      [--ua0 V --ia0 MA --load KOHM]\n"
    "\n"
    "Draws the printed page (\"Hard copy\") of up to five families, in slot order:\n"
    "curves, limit, dotted grid, frame, legend and footer, as the window prints it.\n"
    "\n"
    "  --out FILE         .pdf (A4), .png or .svg (A4 at 200 dpi)\n"
    "  --legend TEXT      the one-line legend under the plot\n"
    "  --vdiv V           volts per division (default 20)\n"
    "  --madiv MA         milliamperes per division (default 1)\n"
    "  --pd W             dissipation limit in watts (default 2)\n"
    "  --ua0, --ia0, --load\n"
    "                     an operating point (V, mA) and its load (kOhm): marker,\n"
    "                     load line and projections\n"
    "\n"
    "Exit codes: 0 written, 1 output not written, 2 usage error or an unreadable\n"
    "file (the page is still written without it; the file is named).\n";

}  // namespace

int runReport(const QStringList& args)
{
    CommandOptions cli("report", kReportUsage);
    cli.value("out", "FILE").value("legend", "TEXT").value("vdiv", "V").value("madiv", "MA").value("pd", "W");
    cli.value("ua0", "V").value("ia0", "MA").value("load", "KOHM");
    if (const auto exit = cli.parse(args))
        return *exit;

    const QStringList files = cli.positionals();
    if (files.isEmpty())
        return cli.fail("report needs at least one TDF file");
    if (files.size() > kMaxFiles)
        return cli.fail(QStringLiteral("report takes at most %1 TDF files").arg(kMaxFiles));
    const QString outPath = cli.text("out");
    if (outPath.isEmpty())
        return cli.fail("report needs --out FILE");
    if (!nameSurvivesDecoding(outPath))
        return cli.fail(kOutputNameNotUtf8);
    if (!pageFormatFor(outPath))
        return cli.fail(QStringLiteral("unknown output format (use .pdf, .png or .svg): ") + outPath);

    ReportInputs inputs;
    ScaleTexts scaleTexts;
    if (const auto exit = readScaleOptions(cli, scaleTexts))
        return *exit;
    inputs.powerText = scaleTexts.power.toStdString();
    Workspace scales;
    updateScales(scales, scaleTexts.voltsPerDiv.toStdString(), scaleTexts.maPerDiv.toStdString());
    inputs.voltsPerDiv = scales.VoltsPerDiv;
    inputs.maPerDiv = scales.MaPerDiv;

    const int pointOptions = int(cli.isSet("ua0")) + int(cli.isSet("ia0")) + int(cli.isSet("load"));
    if (pointOptions != 0 && pointOptions != 3)
        return cli.fail("an operating point needs --ua0, --ia0 and --load together");
    if (pointOptions == 3) {
        const auto ua = cli.number("ua0");
        const auto iaMa = cli.number("ia0");
        const auto loadKOhm = cli.number("load");
        if (!ua || !iaMa || !loadKOhm || *loadKOhm <= 0.0)
            return cli.fail("--ua0 and --ia0 expect numbers, --load a number above 0");
        const float x = UaToX(scales, static_cast<float>(*ua));
        const float y = IaToY(scales, static_cast<float>(*iaMa));
        // As in the window: a point outside the plot's margins is not placed.
        if (!isWithinPlotMargins(x, y))
            return cli.fail("the operating point lies outside the plot at these scales");
        inputs.operatingPoint = ReportOperatingPoint{x, y, static_cast<float>(*loadKOhm)};
    }
    inputs.legend = cli.text("legend").toStdString();
    inputs.version = ZOV_VERSION_STRING;
    // There is no window here: the plot counts as square.
    inputs.pageHeightUnits = reportPageHeight(1, 1);

    // Each file is read as "Hard copy" reads a slot's file, by the bytes of
    // the name as typed.
    QStringList skipped;
    for (const QString& file : files) {
        std::vector<std::string> text = readCurveFiles(QStringList{inputPath(file)});
        if (text.empty()) {
            skipped.append(file);
            continue;
        }
        inputs.curveTexts.push_back(std::move(text.front()));
    }
    for (const QString& path : skipped)
        std::fprintf(stderr, "zov-cli report: cannot read %s (skipped)\n", qPrintable(path));

    QString error;
    if (!writeReport(outPath, inputs, &error)) {
        std::fprintf(stderr, "zov-cli report: cannot write %s: %s\n", qPrintable(outPath), qPrintable(error));
        return 1;
    }
    return skipped.isEmpty() ? 0 : 2;
}

}  // namespace zov::cli
