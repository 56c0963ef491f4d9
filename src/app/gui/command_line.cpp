#include "app/gui/command_line.h"

namespace zov::gui {

GuiOptions parseGuiArguments(const QStringList& arguments)
{
    GuiOptions options;
    const QString virtualOption = QStringLiteral("--virtual-module");
    for (const QString& argument : arguments) {
        if (argument == QStringLiteral("--help") || argument == QStringLiteral("-h")) {
            options.help = true;
        } else if (argument == QStringLiteral("--version")) {
            options.version = true;
        } else if (argument == virtualOption) {
            options.virtualModule = true;
        } else if (argument.startsWith(virtualOption + QLatin1Char('='))) {
            options.virtualModule = true;
            options.tube = argument.mid(virtualOption.size() + 1);
            if (options.tube.isEmpty())
                options.error = QStringLiteral("--virtual-module= needs a tube name");
        } else if (argument.startsWith(QStringLiteral("--"))) {
            options.error = QStringLiteral("unknown option ") + argument;
        } else if (options.projectPath.isEmpty()) {
            QString path = argument;
            if (path.size() >= 2 && path.startsWith(QLatin1Char('"')) && path.endsWith(QLatin1Char('"')))
                path = path.mid(1, path.size() - 2);
            options.projectPath = path;
        } else {
            options.error = QStringLiteral("more than one project file given");
        }
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
