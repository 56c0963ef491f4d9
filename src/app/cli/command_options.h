#pragma once
// The options of one zov-cli command, parsed with QCommandLineParser. Every
// command answers "--help" (and "-h") with its own usage text on standard
// output and exit 0; an unknown option, a missing value or a failed check
// prints "zov-cli COMMAND: message" and the usage text on standard error and
// gives exit 2.

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

#include <optional>

namespace zov::cli {

class CommandOptions {
public:
    CommandOptions(const char* command, const char* usage);

    // Options are named without dashes ("ua" for "--ua").
    CommandOptions& flag(const char* name);
    CommandOptions& value(const char* name, const char* valueName);

    // Parses the arguments after the command name. Returns the exit code when
    // the run ends here (0 after --help, 2 after a usage error), else nullopt.
    std::optional<int> parse(const QStringList& args);

    bool isSet(const char* name) const { return m_parser.isSet(QLatin1String(name)); }
    QString text(const char* name) const { return m_parser.value(QLatin1String(name)); }
    QStringList positionals() const { return m_parser.positionalArguments(); }

    // The whole value of a given option as a number (blanks around it allowed);
    // nullopt when it is absent or not entirely a number.
    std::optional<double> number(const char* name) const;

    // The one positional argument of a command that takes exactly one; after
    // none ("missing" is the message) or several, the usage error is reported
    // and the result is nullopt: the command then exits with 2.
    std::optional<QString> singlePositional(const char* missing) const;

    // Reports a usage error of this command and returns 2.
    int fail(const QString& message) const;
    int fail(const char* message) const { return fail(QString::fromUtf8(message)); }

private:
    QString m_command;
    const char* m_usage;
    QCommandLineParser m_parser;
};

// The plot scale options --vdiv and --madiv (numbers above 0) and --pd (a
// number of 0 or more: 0 draws no limit), as typed and trimmed; an option
// not given keeps the default here.
struct ScaleTexts {
    QString voltsPerDiv = QStringLiteral("20");
    QString maPerDiv = QStringLiteral("1");
    QString power = QStringLiteral("2");
};

// Reads those options of a command that declared them. Returns the exit code
// after a value that is no such number (the usage error is reported), else
// nullopt.
std::optional<int> readScaleOptions(const CommandOptions& cli, ScaleTexts& texts);

// A whole text as a number, "." as decimal separator; nullopt otherwise.
std::optional<double> wholeNumber(const QString& text);

}  // namespace zov::cli
