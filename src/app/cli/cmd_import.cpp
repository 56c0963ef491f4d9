// zov-cli import IN [IN ...] --out OUT.tdf [--format auto|long|wide|columns|digitized]
//                [--vg1 V[,V...]] [--vg2 V] [--columns NAMES]
// Reads curve files of other tracers and digitizers and writes them as one TDF
// family. One summary line per input on standard error. Exit 0 when written,
// 1 when the output cannot be written, 2 for a usage error or an input that
// cannot be read or recognised (then nothing is written).

#include "app/cli/commands.h"
#include "files/curve_import.h"
#include "files/curve_table_text.h"

#include <QCommandLineParser>

#include <cstdio>

namespace zov::cli {

namespace {

bool parseVoltage(const QString& text, float& value)
{
    double v = 0;
    const std::string s = text.trimmed().toStdString();
    if (!table::parseNumber(s, v))
        return false;
    value = static_cast<float>(v);
    return true;
}

}  // namespace

int runImport(const QStringList& args)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption outOption(QStringLiteral("out"), QStringLiteral("the TDF file to write"),
                                       QStringLiteral("OUT.tdf"));
    const QCommandLineOption formatOption(QStringLiteral("format"),
                                          QStringLiteral("auto, tdf, long, wide, columns or digitized"),
                                          QStringLiteral("NAME"), QStringLiteral("auto"));
    const QCommandLineOption vg1Option(QStringLiteral("vg1"),
                                       QStringLiteral("grid-1 voltages of curves the file names none for, in order"),
                                       QStringLiteral("V[,V...]"));
    const QCommandLineOption vg2Option(QStringLiteral("vg2"), QStringLiteral("grid-2 voltage of every curve"),
                                       QStringLiteral("V"));
    const QCommandLineOption columnsOption(QStringLiteral("columns"),
                                           QStringLiteral("the header of a table that has none, e.g. \"Ua Vg Ia(mA)\""),
                                           QStringLiteral("NAMES"));
    parser.addOptions({outOption, formatOption, vg1Option, vg2Option, columnsOption});
    parser.addPositionalArgument(QStringLiteral("IN"), QStringLiteral("curve files to read"),
                                 QStringLiteral("IN [IN ...]"));

    if (!parser.parse(QStringList{QStringLiteral("import")} + args))
        return usageError(QStringLiteral("import: ") + parser.errorText());
    const QStringList inputs = parser.positionalArguments();
    if (inputs.isEmpty())
        return usageError(QStringLiteral("import: no input file"));
    const QString out = parser.value(outOption);
    if (out.isEmpty())
        return usageError(QStringLiteral("import: --out OUT.tdf is required"));

    ImportOptions options;
    const std::optional<CurveFormat> format = curveFormatFromName(parser.value(formatOption));
    if (!format)
        return usageError(QStringLiteral("import: unknown format '%1'").arg(parser.value(formatOption)));
    options.format = *format;
    if (parser.isSet(vg1Option)) {
        for (const QString& part : parser.value(vg1Option).split(QLatin1Char(','))) {
            float v = 0;
            if (!parseVoltage(part, v))
                return usageError(QStringLiteral("import: --vg1 '%1' is not a list of voltages")
                                      .arg(parser.value(vg1Option)));
            options.vg1.push_back(v);
        }
    }
    if (parser.isSet(vg2Option)) {
        float v = 0;
        if (!parseVoltage(parser.value(vg2Option), v))
            return usageError(QStringLiteral("import: --vg2 '%1' is not a voltage").arg(parser.value(vg2Option)));
        options.vg2 = v;
    }
    options.columns = parser.value(columnsOption).toStdString();

    std::vector<ImportedFamily> families;
    for (const QString& in : inputs) {
        ImportResult r = importCurveFile(in, options);
        if (!r.ok) {
            std::fprintf(stderr, "zov-cli: import: %s: %s\n", qPrintable(in), qPrintable(r.error));
            return 2;
        }
        std::fprintf(stderr, "%s: %s\n", qPrintable(in), qPrintable(familySummary(r.family)));
        families.push_back(std::move(r.family));
    }
    const FileResult written = writeFamiliesTdf(out, families);
    if (!written.ok) {
        std::fprintf(stderr, "zov-cli: import: cannot write %s: %s\n", qPrintable(out), qPrintable(written.error));
        return 1;
    }
    return 0;
}

}  // namespace zov::cli
