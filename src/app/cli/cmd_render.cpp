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

#include "app/cli/commands.h"
#include "render/display_messages.h"
#include "render/scene_export.h"
#include "core/text.h"

#include <QFile>
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
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QString::fromLatin1(msg::kCannotRead) + QLatin1String(" ") + path + QLatin1String(": ")
                 + file.errorString();
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        *error = QString::fromLatin1(msg::kCannotRead) + QLatin1String(" ") + path + QLatin1String(": ")
                 + file.errorString();
        return std::nullopt;
    }
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
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

}  // namespace

int runRender(const QStringList& args)
{
    QString curvesPath;
    QString backgroundPath;
    QString outPath;
    QString voltsPerDiv = QStringLiteral("20");
    QString maPerDiv = QStringLiteral("1");
    QString power = QStringLiteral("2");
    QSize size(1200, 900);

    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        const bool takesValue = arg == QLatin1String("--background") || arg == QLatin1String("--vdiv")
                                || arg == QLatin1String("--madiv") || arg == QLatin1String("--pd")
                                || arg == QLatin1String("--size") || arg == QLatin1String("--out");
        if (takesValue) {
            if (i + 1 >= args.size())
                return usageError(QString::fromLatin1(msg::kMissingValue) + QLatin1String(" ") + arg);
            const QString value = args[++i];
            if (arg == QLatin1String("--background")) {
                backgroundPath = value;
            } else if (arg == QLatin1String("--out")) {
                outPath = value;
            } else if (arg == QLatin1String("--size")) {
                const auto parsed = parseSize(value);
                if (!parsed)
                    return usageError(QString::fromLatin1(msg::kBadSize));
                size = *parsed;
            } else {
                // Scales must be positive (a zero or negative scale has no
                // picture); the limit may be 0 but not negative.
                const auto number = wholeNumber(value);
                const bool isPower = arg == QLatin1String("--pd");
                if (!number || (isPower ? *number < 0.0 : *number <= 0.0)) {
                    return usageError(arg + QLatin1String(" ")
                                      + QString::fromLatin1(isPower ? msg::kNeedsNonNegative : msg::kNeedsPositive)
                                      + QLatin1String(" '") + value + QLatin1String("'"));
                }
                (arg == QLatin1String("--vdiv") ? voltsPerDiv : arg == QLatin1String("--madiv") ? maPerDiv : power) =
                    value.trimmed();
            }
        } else if (arg.startsWith(QLatin1String("--"))) {
            return usageError(QString::fromLatin1(msg::kUnknownOption) + QLatin1String(" ") + arg);
        } else if (curvesPath.isEmpty()) {
            curvesPath = arg;
        } else {
            return usageError(QString::fromLatin1(msg::kExtraArgument) + QLatin1String(" ") + arg);
        }
    }
    if (curvesPath.isEmpty())
        return usageError(QString::fromLatin1(msg::kMissingInput));
    if (outPath.isEmpty())
        return usageError(QString::fromLatin1(msg::kMissingOutput));
    if (!exportFormatFor(outPath))
        return inputError(QString::fromLatin1(msg::kUnknownExtension) + QLatin1String(": ") + outPath);

    Workspace ws;
    ws.ModeName = QStringLiteral("Capture");
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

    SceneOptions options;
    options.voltsPerDivText = voltsPerDiv.toStdString();
    options.maPerDivText = maPerDiv.toStdString();
    options.powerText = power.toStdString();
    if (!exportScene(outPath, size, ws, options, &error)) {
        std::fprintf(stderr, "zov-cli render: %s\n", qPrintable(error));
        return 1;
    }
    return 0;
}

}  // namespace zov::cli
