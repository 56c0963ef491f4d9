// zov-cli capture: the same sweep as the window's "GO", written to a TDF file
// the way "Save as ..." and "Add to ..." write it.
//
// Exit codes: 0 success; 2 usage error or grid settings out of range (nothing
// written); 3 an exchange failed (the curves of the completed steps are still
// written); 4 the file could not be written.
#include "app/cli/command_options.h"
#include "app/cli/commands.h"
#include "app/cli/native_args.h"
#include "files/tdf_file.h"
#include "core/text.h"
#include "measure/capture_sweep.h"
#include "core/curve_store.h"
#include "measure/measure_messages.h"

#include <QCoreApplication>

#include <cstdio>
#include <string>

namespace zov::cli {

namespace {

const char kCaptureUsage[] =
    "Usage: zov-cli capture --port PORT --start V --stop V [--pitch V] [--vg2 TEXT]\n"
    "                       [--range 32|256] (--save FILE | --append FILE) [--wait-ms N]\n"
    "\n"
    "Measures one curve per grid-1 step with the Hardware Module and writes the family\n"
    "as a TDF file.\n"
    "\n"
    "  --port PORT     COM1..COM4 or a device path (for example from 'zov-cli simulate')\n"
    "  --start V       first grid-1 voltage, magnitude 0..31 (the grid is negative)\n"
    "  --stop V        last grid-1 voltage, magnitude 0..31, not below the start\n"
    "  --pitch V       step, a multiple of 0.5 V; 0 (default) measures one curve\n"
    "  --vg2 TEXT      grid-2 voltage recorded with the data (default 0)\n"
    "  --range 32|256  current range in mA (default 256)\n"
    "  --save FILE     write a new file (replacing an existing one)\n"
    "  --append FILE   add the family to the end of a file\n"
    "  --wait-ms N     each of the two waits of an exchange (default 1000)\n"
    "\n"
    "Exit codes: 0 done, 2 usage or grid settings out of range, 3 exchange failed\n"
    "(completed curves are written), 4 file not written.\n";

void printLines(const char* message)
{
    // The messages use CR LF between lines; a terminal wants LF.
    std::string text = message;
    for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at))
        text.erase(at, 1);
    std::fprintf(stderr, "%s\n", text.c_str());
}

}  // namespace

int runCapture(const QStringList& args)
{
    CommandOptions options("capture", kCaptureUsage);
    for (const char* name : {"port", "start", "stop", "pitch", "vg2", "range", "save", "append", "wait-ms"})
        options.value(name, "VALUE");
    if (const auto exit = options.parse(args))
        return *exit;
    if (!options.positionals().isEmpty())
        return options.fail(QStringLiteral("unexpected argument '%1'").arg(options.positionals().first()));

    int rangeDivisor = protocol::kRangeDivisor256mA;
    if (options.isSet("range")) {
        const QString range = options.text("range");
        if (range == QLatin1String("32"))
            rangeDivisor = protocol::kRangeDivisor32mA;
        else if (range != QLatin1String("256"))
            return options.fail("--range is 32 or 256");
    }
    if (options.isSet("save") && options.isSet("append"))
        return options.fail("give one of --save and --append");
    int waitMs = ModuleLink::kDefaultWaitMs;
    if (options.isSet("wait-ms")) {
        bool ok = false;
        waitMs = options.text("wait-ms").toInt(&ok);
        if (!ok || waitMs < 0)
            return options.fail("--wait-ms needs a number of milliseconds");
    }
    const QString port = options.text("port");
    if (port.isEmpty())
        return options.fail("--port is required");
    if (!options.isSet("start") || !options.isSet("stop"))
        return options.fail("--start and --stop are required");
    const bool append = options.isSet("append");
    const QString file = options.text(append ? "append" : "save");
    if (file.isEmpty())
        return options.fail("give --save FILE or --append FILE");
    if (!nameSurvivesDecoding(file))
        return options.fail(kOutputNameNotUtf8);
    const QString start = options.text("start");
    const QString stop = options.text("stop");
    const QString pitch = options.isSet("pitch") ? options.text("pitch") : QStringLiteral("0");
    const QString vg2 = options.isSet("vg2") ? options.text("vg2") : QStringLiteral("0");

    Workspace ws;
    CaptureSweep sweep(ws);
    sweep.setWaitMs(waitMs);
    const std::string vg2Text = vg2.toStdString();
    sweep.setVg2Source([vg2Text] { return vg2Text; });
    QObject::connect(&sweep, &CaptureSweep::stepStarted, [](int step, int count, float vg1, float vg2Volts) {
        std::fprintf(stderr, "Vg1=%s V Vg2=%s V: step %d of %d\n", formatGeneral(vg1).c_str(),
                     formatGeneral(vg2Volts).c_str(), step, count);
    });
    QObject::connect(&sweep, &CaptureSweep::exchangeFailed,
                     [](const QString& message) { printLines(qPrintable(message)); });
    bool completed = false;
    QString endMessage;
    QObject::connect(&sweep, &CaptureSweep::finished, [&](bool ok, const QString& message) {
        completed = ok;
        endMessage = message;
        QCoreApplication::quit();
    });

    const SweepSettings settings{start.toStdString(), stop.toStdString(), pitch.toStdString(), rangeDivisor, port};
    if (!sweep.start(settings)) {
        printLines(messages::kGridOutOfRange);
        return 2;
    }
    QCoreApplication::exec();

    if (!endMessage.isEmpty())
        printLines(qPrintable(endMessage));
    // Whatever was measured is written, also after a failed exchange.
    if (!ws.CurveText.empty()) {
        const FileResult written =
            writeTdfText(file, ws.CurveText, append ? TdfWriteMode::Append : TdfWriteMode::Replace);
        if (!written.ok) {
            std::fprintf(stderr, "zov-cli capture: cannot write %s: %s\n", qPrintable(file), qPrintable(written.error));
            return 4;
        }
    }
    return completed ? 0 : 3;
}

}  // namespace zov::cli
