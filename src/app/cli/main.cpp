#include "app/cli/commands.h"
#include "app/cli/native_args.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <cstdio>
#include <memory>

#include "zov_version.h"

namespace {

const char kUsage[] =
    "Usage: zov-cli COMMAND [OPTIONS]\n"
    "\n"
    "Commands:\n"
    "  simulate [--tube NAME] [--fault MODE] [--no-pacing] [--noise SEED]\n"
    "      serve the virtual Hardware Module on a pseudo-terminal\n"
    "  capture --port PORT --start V --stop V [--pitch V] [--vg2 TEXT] [--range 32|256]\n"
    "          (--save FILE | --append FILE) [--wait-ms N]\n"
    "      measure a family of curves with the Hardware Module\n"
    "  inspect FILE.tdf [--points]\n"
    "      print the curve set read from a TDF file as JSON\n"
    "  render CURVES.tdf [--background FILE.tdf] [--vdiv V] [--madiv MA] [--pd W]\n"
    "         [--size WxH] --out FILE.png|FILE.svg|FILE.pdf\n"
    "      draw the capture-mode picture of a family\n"
    "  design FILE.tdf --ua V --ia MA --load KOHM [--vin VPP] [--pp] [--vdiv V]\n"
    "         [--madiv MA] [--vg1-list LIST] [--vg2-list LIST]\n"
    "      design a stage at an operating point and print the results as JSON\n"
    "  import IN [IN ...] --out OUT.tdf [--format auto|tdf|long|wide|columns|digitized]\n"
    "         [--vg1 V[,V...]] [--vg2 V] [--columns NAMES]\n"
    "      convert curve files of other tracers and digitizers to one TDF family\n"
    "  report FILE.tdf [FILE.tdf ...] --out FILE.pdf|FILE.png|FILE.svg [--legend TEXT]\n"
    "         [--vdiv V] [--madiv MA] [--pd W] [--ua0 V --ia0 MA --load KOHM]\n"
    "      draw the printed page of up to five families\n"
    "  fit FILE.tdf --model koren-triode|koren-pentode|derk-e [--ua-max V] [--ia-max MA]\n"
    "      [--spice OUT.inc] [--name NAME]\n"
    "      fit a tube model to a family, print it as JSON, export it for SPICE\n"
    "\n"
    "  --help      this text\n"
    "  --version   the program version\n";

}  // namespace

namespace zov::cli {

int usageError(const QString& message)
{
    if (!message.isEmpty())
        std::fprintf(stderr, "zov-cli: %s\n", qPrintable(message));
    std::fputs(kUsage, stderr);
    return 2;
}

}  // namespace zov::cli

int main(int argc, char* argv[])
{
    zov::cli::keepNativeArguments(argc, argv);
    const QString command = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    // Answered before any application object exists, so they need no display
    // and no runtime directory.
    if (command == QLatin1String("--help") || command == QLatin1String("-h")) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (command == QLatin1String("--version")) {
        std::printf("zov-cli %s\n", ZOV_VERSION_STRING);
        return 0;
    }
    // Rendering needs fonts and a paint engine but never a display.
    const bool needsGui = command == QLatin1String("render") || command == QLatin1String("report");
    if (needsGui && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QCoreApplication> app;
    if (needsGui)
        app = std::make_unique<QGuiApplication>(argc, argv);
    else
        app = std::make_unique<QCoreApplication>(argc, argv);

    QStringList args = QCoreApplication::arguments();
    args.removeFirst();  // program
    if (args.isEmpty())
        return zov::cli::usageError(QStringLiteral("no command given"));
    args.removeFirst();  // command

    if (command == QLatin1String("simulate"))
        return zov::cli::runSimulate(args);
    if (command == QLatin1String("capture"))
        return zov::cli::runCapture(args);
    if (command == QLatin1String("inspect"))
        return zov::cli::runInspect(args);
    if (command == QLatin1String("render"))
        return zov::cli::runRender(args);
    if (command == QLatin1String("design"))
        return zov::cli::runDesign(args);
    if (command == QLatin1String("import"))
        return zov::cli::runImport(args);
    if (command == QLatin1String("report"))
        return zov::cli::runReport(args);
    if (command == QLatin1String("fit"))
        return zov::cli::runFit(args);
    return zov::cli::usageError(QStringLiteral("unknown command '%1'").arg(command));
}
