// zov-cli render CURVES.tdf [--background FILE.tdf] [--vdiv V] [--madiv MA]
//                [--pd W] [--size WxH] --out FILE.png|FILE.svg|FILE.pdf
//
// Draws the capture-mode picture (background family, current family, limit
// curve, grid with its axis values in a margin) with the same composition as
// the window's plot. A TDF file read whole is a curve text: the curve file
// becomes CurveText, the background file BackgroundText.
//
// Exit codes: 0 written; 1 the output file could not be written; 2 usage
// error, unknown output extension or unreadable input.

#include "app/cli/command_options.h"
#include "app/cli/commands.h"
#include "app/cli/native_args.h"
#include "render/display_messages.h"
#include "render/scene_export.h"
#include "core/text.h"

#include <QSize>

#include <cstdio>
#include <optional>
#include <string>

namespace zov::cli {

namespace {

namespace msg = zov::display_messages;

int inputError(const QString& message)
{
    std::fprintf(stderr, "zov-cli render: %s\n", qPrintable(message));
    return 2;
}

// The whole file as bytes: curve texts are 8-bit text with CR LF line ends.
std::optional<std::string> readWhole(const QString& path, QString* error)
{
    // Opened by the name's own bytes, which need not be UTF-8.
    QString reason;
    const std::optional<QByteArray> bytes = readArgumentFile(path, &reason);
    if (!bytes) {
        *error = QString::fromLatin1(msg::kCannotRead) + QLatin1String(" ") + path + QLatin1String(": ") + reason;
        return std::nullopt;
    }
    return std::string(bytes->constData(), static_cast<std::size_t>(bytes->size()));
}

std::optional<QSize> parseSize(const QString& text)
{
    const QStringList parts = text.toLower().split(QLatin1Char('x'));
    if (parts.size() != 2)
        return std::nullopt;
    bool okW = false;
    bool okH = false;
    const int w = parts[0].toInt(&okW);
    const int h = parts[1].toInt(&okH);
    if (!okW || !okH || w < 16 || h < 16 || w > 20000 || h > 20000)
        return std::nullopt;
    return QSize(w, h);
}

const char kRenderUsage[] =
    "Usage: zov-cli render CURVES.tdf [--background FILE.tdf] [--vdiv V] [--madiv MA]\n"
    "                      [--pd W] [--size WxH] --out FILE.png|FILE.svg|FILE.pdf\n"
    "\n"
    "Draws the capture picture of a family (background, curves, limit, grid and\n"
    "axis values) with the same composition as the window's plot.\n"
    "\n"
    "  --background FILE  a second family drawn faintly behind the first\n"
    "  --vdiv V           volts per division (default 20)\n"
    "  --madiv MA         milliamperes per division (default 1)\n"
    "  --pd W             dissipation limit in watts (default 2; 0 draws none)\n"
    "  --size WxH         picture size in pixels (default 1200x900)\n"
    "  --out FILE         .png, .svg or .pdf\n"
    "\n"
    "Exit codes: 0 written, 1 output not written, 2 usage error or unreadable input.\n";

}  // namespace

int runRender(const QStringList& args)
{
    CommandOptions cli("render", kRenderUsage);
    cli.value("background", "FILE").value("vdiv", "V").value("madiv", "MA").value("pd", "W");
    cli.value("size", "WxH").value("out", "FILE");
    if (const auto exit = cli.parse(args))
        return *exit;

    ScaleTexts scaleTexts;
    if (const auto exit = readScaleOptions(cli, scaleTexts))
        return *exit;
    QSize size(1200, 900);
    if (cli.isSet("size")) {
        const auto parsed = parseSize(cli.text("size"));
        if (!parsed)
            return cli.fail(msg::kBadSize);
        size = *parsed;
    }
    const QStringList files = cli.positionals();
    if (files.size() > 1)
        return cli.fail(QString::fromLatin1(msg::kExtraArgument) + QLatin1String(" ") + files[1]);
    if (files.isEmpty())
        return cli.fail(msg::kMissingInput);
    if (!cli.isSet("out"))
        return cli.fail(msg::kMissingOutput);
    const QString curvesPath = files.first();
    const QString backgroundPath = cli.text("background");
    const QString outPath = cli.text("out");
    if (!nameSurvivesDecoding(outPath))
        return cli.fail(kOutputNameNotUtf8);
    if (!exportFormatFor(outPath))
        return inputError(QString::fromLatin1(msg::kUnknownExtension) + QLatin1String(": ") + outPath);

    Workspace ws;
    ws.ModeName = WorkMode::Capture;
    QString error;
    const auto curves = readWhole(curvesPath, &error);
    if (!curves)
        return inputError(error);
    ws.CurveText = *curves;
    if (!backgroundPath.isEmpty()) {
        const auto background = readWhole(backgroundPath, &error);
        if (!background)
            return inputError(error);
        ws.BackgroundText = *background;
    }

    SceneInputs inputs = sceneInputs(ws);
    inputs.voltsPerDivText = scaleTexts.voltsPerDiv.toStdString();
    inputs.maPerDivText = scaleTexts.maPerDiv.toStdString();
    inputs.powerText = scaleTexts.power.toStdString();
    if (!exportScene(outPath, size, inputs, &error)) {
        std::fprintf(stderr, "zov-cli render: %s\n", qPrintable(error));
        return 1;
    }
    return 0;
}

}  // namespace zov::cli
