#include "app/gui/command_line.h"

#include <QCommandLineParser>

namespace zov::gui {

namespace {

const QString kVirtualModule = QStringLiteral("virtual-module");

// "WxH" with both numbers positive ("1280x800"); an invalid size otherwise.
QSize parseSize(const QString& text)
{
    const QStringList parts = text.toLower().split(QLatin1Char('x'));
    if (parts.size() != 2)
        return {};
    bool okWidth = false;
    bool okHeight = false;
    const int width = parts[0].toInt(&okWidth);
    const int height = parts[1].toInt(&okHeight);
    if (!okWidth || !okHeight || width <= 0 || height <= 0 || width > 16384 || height > 16384)
        return {};
    return {width, height};
}

}  // namespace

GuiOptions parseGuiArguments(const QStringList& arguments)
{
    GuiOptions options;
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("help"), QStringLiteral("h")});
    const QCommandLineOption version(QStringLiteral("version"));
    // The tube is optional ("--virtual-module" alone takes the default tube),
    // which the parser cannot express: the bare form is taken out first and
    // the parser sees only the "--virtual-module=TUBE" form.
    const QCommandLineOption tube(kVirtualModule, QString(), QStringLiteral("TUBE"));
    const QCommandLineOption snapshot(QStringLiteral("snapshot"), QString(), QStringLiteral("OUT.png"));
    const QCommandLineOption controls(QStringLiteral("controls"), QString(), QStringLiteral("OUT.json"));
    const QCommandLineOption size(QStringLiteral("size"), QString(), QStringLiteral("WxH"));
    parser.addOptions({help, version, tube, snapshot, controls, size});

    QStringList rest{QStringLiteral("zov")};
    for (const QString& argument : arguments) {
        if (argument == QStringLiteral("--") + kVirtualModule)
            options.virtualModule = true;
        else
            rest << argument;
    }
    if (!parser.parse(rest)) {
        const QStringList unknown = parser.unknownOptionNames();
        options.error = unknown.isEmpty() ? parser.errorText() : QStringLiteral("unknown option --") + unknown.first();
    }
    options.help = parser.isSet(help);
    options.version = parser.isSet(version);
    if (parser.isSet(tube)) {
        options.virtualModule = true;
        options.tube = parser.value(tube);
        if (options.tube.isEmpty())
            options.error = QStringLiteral("--virtual-module= needs a tube name");
    }
    options.snapshotPath = parser.value(snapshot);
    options.controlsPath = parser.value(controls);
    if (parser.isSet(size)) {
        options.size = parseSize(parser.value(size));
        if (!options.size.isValid())
            options.error = QStringLiteral("--size needs WxH, for example 1280x800");
    }
    if (options.snapshotPath.isEmpty() && (parser.isSet(controls) || parser.isSet(size)))
        options.error = QStringLiteral("--controls and --size need --snapshot");
    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 1)
        options.error = QStringLiteral("more than one project file given");
    if (!positional.isEmpty()) {
        // A path may arrive in double quotes (a shortcut or a file manager that
        // quotes it); the quotes are not part of the name.
        QString path = positional.first();
        if (path.size() >= 2 && path.startsWith(QLatin1Char('"')) && path.endsWith(QLatin1Char('"')))
            path = path.mid(1, path.size() - 2);
        options.projectPath = path;
    }
    return options;
}

QString guiUsage(const QStringList& tubeNames)
{
    return QStringLiteral(
               "Usage: zov [--virtual-module[=TUBE]] [PROJECT.zov]\n"
               "           [--snapshot OUT.png [--controls OUT.json] [--size WxH]]\n"
               "       zov --help | --version\n"
               "\n"
               "  --virtual-module[=TUBE]  start the built-in virtual Hardware Module and\n"
               "                           select it as the port (tubes: ") +
           tubeNames.join(QStringLiteral(", ")) +
           QStringLiteral(")\n"
                          "  PROJECT.zov              the project to open\n"
                          "  --snapshot OUT.png       start as usual, write the window's picture once it\n"
                          "                           is drawn, and exit (works offscreen)\n"
                          "  --controls OUT.json      with --snapshot: also describe the window's controls\n"
                          "  --size WxH               with --snapshot: the window's size in pixels\n");
}

}  // namespace zov::gui
