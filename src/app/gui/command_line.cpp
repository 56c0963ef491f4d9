#include "app/gui/command_line.h"

#include <QCommandLineParser>

namespace zov::gui {

namespace {

const QString kVirtualModule = QStringLiteral("virtual-module");

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
    parser.addOptions({help, version, tube});

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
               "       zov --help | --version\n"
               "\n"
               "  --virtual-module[=TUBE]  start the built-in virtual Hardware Module and\n"
               "                           select it as the port (tubes: ") +
           tubeNames.join(QStringLiteral(", ")) +
           QStringLiteral(")\n"
                          "  PROJECT.zov              the project to open\n");
}

}  // namespace zov::gui
