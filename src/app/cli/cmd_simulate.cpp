// zov-cli simulate: the virtual Hardware Module on a pseudo-terminal, served
// until SIGINT or SIGTERM. The device path is the first line of standard
// output, so scripts can start it in the background and read where to connect.
#include "app/cli/command_options.h"
#include "app/cli/commands.h"
#include "sim/virtual_module.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace zov::cli {

namespace {

const char kSimulateUsage[] =
    "Usage: zov-cli simulate [--tube NAME] [--fault MODE] [--no-pacing] [--noise SEED]\n"
    "                        [--fault-after N]\n"
    "\n"
    "Serves the virtual Hardware Module on a pseudo-terminal until SIGINT or SIGTERM.\n"
    "The first line of standard output is the device to use as the port.\n"
    "\n"
    "  --tube NAME       tube model (default 12AX7)\n"
    "  --fault MODE      misbehave: silent, short-block, bad-byte, slow, hangup\n"
    "  --fault-after N   serve N exchanges correctly before the fault sets in\n"
    "  --no-pacing       send the answers at once instead of at 2400 baud\n"
    "  --noise SEED      add reproducible noise to the samples\n";

// Self-pipe: the signal handler only writes one byte; the event loop quits.
int g_signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &byte, 1);
}

}  // namespace

int runSimulate(const QStringList& args)
{
    CommandOptions parsed("simulate", kSimulateUsage);
    parsed.value("tube", "NAME").value("fault", "MODE").value("noise", "SEED").value("fault-after", "N");
    parsed.flag("no-pacing");
    if (const auto exit = parsed.parse(args))
        return *exit;
    if (!parsed.positionals().isEmpty())
        return parsed.fail(QStringLiteral("unexpected argument '%1'").arg(parsed.positionals().first()));

    VirtualModuleOptions options;
    options.pacing = !parsed.isSet("no-pacing");
    if (parsed.isSet("tube"))
        options.tube = parsed.text("tube");
    if (parsed.isSet("fault"))
        options.fault = parsed.text("fault");
    if (parsed.isSet("noise")) {
        bool ok = false;
        options.noiseSeed = parsed.text("noise").toUInt(&ok);
        if (!ok)
            return parsed.fail("--noise needs a seed (an unsigned integer)");
    }
    if (parsed.isSet("fault-after")) {
        bool ok = false;
        const int n = parsed.text("fault-after").toInt(&ok);
        if (!ok || n < 0)
            return parsed.fail("--fault-after needs a count");
        options.healthyExchanges = n;
    }

    VirtualModule module(options);
    QString error;
    if (!module.start(&error))
        return parsed.fail(error);

    if (::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        std::perror("zov-cli simulate: pipe");
        return 1;
    }
    QSocketNotifier signalNotifier(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, [] { QCoreApplication::quit(); });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);

    // A hang-up (the "hangup" fault) brings the module back on a new device.
    QObject::connect(&module, &VirtualModule::devicePathChanged, [](const QString& path) {
        std::printf("%s\n", qPrintable(path));
        std::fflush(stdout);
    });
    std::printf("%s\n", qPrintable(module.devicePath()));
    std::fflush(stdout);
    std::fprintf(stderr, "zov-cli simulate: %s on %s%s%s; stop with Ctrl+C\n", qPrintable(options.tube),
                 qPrintable(module.devicePath()), options.fault.isEmpty() ? "" : ", fault ",
                 qPrintable(options.fault));

    QCoreApplication::exec();
    module.stop();
    ::close(g_signalPipe[0]);
    ::close(g_signalPipe[1]);
    return 0;
}

}  // namespace zov::cli
