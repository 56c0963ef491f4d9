// zov-cli simulate: the virtual Hardware Module on a pseudo-terminal, served
// until SIGINT or SIGTERM. The device path is the first line of standard
// output, so scripts can start it in the background and read where to connect.
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

int simulateUsage(const QString& message)
{
    if (!message.isEmpty())
        std::fprintf(stderr, "zov-cli simulate: %s\n", qPrintable(message));
    std::fputs(kSimulateUsage, stderr);
    return 2;
}

}  // namespace

int runSimulate(const QStringList& args)
{
    VirtualModuleOptions options;
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        const auto value = [&](QString* out) {
            if (i + 1 >= args.size())
                return false;
            *out = args.at(++i);
            return true;
        };
        QString v;
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            std::fputs(kSimulateUsage, stdout);
            return 0;
        }
        if (arg == QLatin1String("--no-pacing")) {
            options.pacing = false;
        } else if (arg == QLatin1String("--tube")) {
            if (!value(&v))
                return simulateUsage(QStringLiteral("--tube needs a name"));
            options.tube = v;
        } else if (arg == QLatin1String("--fault")) {
            if (!value(&v))
                return simulateUsage(QStringLiteral("--fault needs a mode"));
            options.fault = v;
        } else if (arg == QLatin1String("--noise")) {
            bool ok = false;
            const uint seed = value(&v) ? v.toUInt(&ok) : 0;
            if (!ok)
                return simulateUsage(QStringLiteral("--noise needs a seed (an unsigned integer)"));
            options.noiseSeed = seed;
        } else if (arg == QLatin1String("--fault-after")) {
            bool ok = false;
            const int n = value(&v) ? v.toInt(&ok) : -1;
            if (!ok || n < 0)
                return simulateUsage(QStringLiteral("--fault-after needs a count"));
            options.healthyExchanges = n;
        } else {
            return simulateUsage(QStringLiteral("unknown option '%1'").arg(arg));
        }
    }

    VirtualModule module(options);
    QString error;
    if (!module.start(&error))
        return simulateUsage(error);

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
