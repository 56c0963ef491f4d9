#include "app/cli/command_options.h"

#include "render/display_messages.h"

#include "core/text.h"

#include <cstdio>

namespace zov::cli {

CommandOptions::CommandOptions(const char* command, const char* usage)
    : m_command(QString::fromLatin1(command)), m_usage(usage)
{
    // Long options only, so that "-5" after "--vg1" is a value and "-help" is
    // not read as six one-letter options.
    m_parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    m_parser.addOption(QCommandLineOption(QStringList{QStringLiteral("help"), QStringLiteral("h")}));
}

CommandOptions& CommandOptions::flag(const char* name)
{
    m_parser.addOption(QCommandLineOption(QString::fromLatin1(name)));
    return *this;
}

CommandOptions& CommandOptions::value(const char* name, const char* valueName)
{
    m_parser.addOption(
        QCommandLineOption(QString::fromLatin1(name), QString(), QString::fromLatin1(valueName)));
    return *this;
}

std::optional<int> CommandOptions::parse(const QStringList& args)
{
    const QStringList withProgram = QStringList{QStringLiteral("zov-cli ") + m_command} + args;
    const bool ok = m_parser.parse(withProgram);
    // "--help" wins over any other mistake on the same line.
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))
        || (ok && m_parser.isSet(QStringLiteral("help")))) {
        std::fputs(m_usage, stdout);
        return 0;
    }
    if (ok)
        return std::nullopt;
    const QStringList unknown = m_parser.unknownOptionNames();
    if (!unknown.isEmpty())
        return fail(QStringLiteral("unknown option for %1: --%2").arg(m_command, unknown.first()));
    // The only other failure of the parser is an option given without its value.
    QString text = m_parser.errorText();
    const qsizetype quote = text.indexOf(QLatin1Char('\''));
    if (quote >= 0 && text.lastIndexOf(QLatin1Char('\'')) > quote)
        text = QStringLiteral("missing value after ")
               + text.mid(quote + 1, text.lastIndexOf(QLatin1Char('\'')) - quote - 1);
    return fail(text);
}

std::optional<double> CommandOptions::number(const char* name) const
{
    if (!isSet(name))
        return std::nullopt;
    return wholeNumber(text(name));
}

std::optional<QString> CommandOptions::singlePositional(const char* missing) const
{
    const QStringList files = positionals();
    if (files.size() == 1)
        return files.first();
    if (files.isEmpty())
        fail(missing);
    else
        fail(QStringLiteral("unexpected argument '%1'").arg(files[1]));
    return std::nullopt;
}

int CommandOptions::fail(const QString& message) const
{
    std::fprintf(stderr, "zov-cli %s: %s\n", qPrintable(m_command), qPrintable(message));
    std::fputs(m_usage, stderr);
    return 2;
}

std::optional<double> wholeNumber(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    const std::string_view view =
        trimBlanks(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    std::size_t consumed = 0;
    const double v = numericValue(view, &consumed);
    if (view.empty() || consumed != view.size())
        return std::nullopt;
    return v;
}

std::optional<int> readScaleOptions(const CommandOptions& cli, ScaleTexts& texts)
{
    // A zero or negative scale has no picture; the limit may be 0 but not negative.
    const struct {
        const char* name;
        bool zeroAllowed;
        QString& text;
    } options[] = {{"vdiv", false, texts.voltsPerDiv}, {"madiv", false, texts.maPerDiv}, {"pd", true, texts.power}};
    for (const auto& option : options) {
        if (!cli.isSet(option.name))
            continue;
        const auto number = cli.number(option.name);
        if (!number || (option.zeroAllowed ? *number < 0.0 : *number <= 0.0)) {
            return cli.fail(QStringLiteral("--%1 %2 '%3'")
                                .arg(QLatin1String(option.name),
                                     QString::fromLatin1(option.zeroAllowed ? display_messages::kNeedsNonNegative
                                                                            : display_messages::kNeedsPositive),
                                     cli.text(option.name)));
        }
        option.text = cli.text(option.name).trimmed();
    }
    return std::nullopt;
}

}  // namespace zov::cli
