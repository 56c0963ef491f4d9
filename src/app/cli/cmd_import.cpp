// zov-cli import IN [IN ...] --out OUT.tdf [--format auto|long|wide|columns|digitized]
//                [--vg1 V[,V...]] [--vg2 V] [--columns NAMES]
// Reads curve files of other tracers and digitizers and writes them as one TDF
// family. One summary line per input on standard error. Exit 0 when written,
// 1 when the output cannot be written, 2 for a usage error or an input that
// cannot be read or recognised (then nothing is written).

#include "app/cli/command_options.h"
#include "app/cli/commands.h"
#include "app/cli/native_args.h"
#include "files/curve_import.h"

#include <cstdio>

namespace zov::cli {

namespace {

const char kImportUsage[] =
    "Usage: zov-cli import IN [IN ...] --out OUT.tdf [--format auto|tdf|long|wide|columns|digitized]\n"
    "                      [--vg1 V[,V...]] [--vg2 V] [--columns NAMES]\n"
    "\n"
    "Reads curve files of other tracers and digitizers (the shape is found from\n"
    "the content unless --format names it) and writes them as one TDF family.\n"
    "  --out FILE      the TDF file to write (replaced atomically)\n"
    "  --format NAME   auto (default), tdf, long, wide, columns or digitized\n"
    "  --vg1 LIST      grid-1 voltages of curves the file names none for, in order\n"
    "                  (digitized curves; a column file without a grid column)\n"
    "  --vg2 V         grid-2 voltage of every curve\n"
    "  --columns NAMES the header of a table that has none, e.g. \"Ua Vg Ia(mA)\"\n"
    "Exit 0 when written, 1 when the output cannot be written, 2 for a usage\n"
    "error or an input that cannot be read or recognised (nothing is written).\n";

}  // namespace

int runImport(const QStringList& args)
{
    CommandOptions options("import", kImportUsage);
    options.value("out", "OUT.tdf").value("format", "NAME").value("vg1", "LIST").value("vg2", "V");
    options.value("columns", "NAMES");
    if (const auto exit = options.parse(args))
        return *exit;

    const QStringList inputs = options.positionals();
    if (inputs.isEmpty())
        return options.fail("no input file");
    const QString out = options.text("out");
    if (out.isEmpty())
        return options.fail("--out OUT.tdf is required");
    if (!nameSurvivesDecoding(out))
        return options.fail(kOutputNameNotUtf8);

    ImportOptions import;
    if (options.isSet("format")) {
        const std::optional<CurveFormat> format = curveFormatFromName(options.text("format"));
        if (!format)
            return options.fail(QStringLiteral("unknown format '%1'").arg(options.text("format")));
        import.format = *format;
    }
    if (options.isSet("vg1")) {
        for (const QString& part : options.text("vg1").split(QLatin1Char(','))) {
            const std::optional<double> v = wholeNumber(part);
            if (!v)
                return options.fail(QStringLiteral("--vg1 needs a list of voltages, not '%1'").arg(options.text("vg1")));
            import.vg1.push_back(static_cast<float>(*v));
        }
    }
    if (options.isSet("vg2")) {
        const std::optional<double> v = options.number("vg2");
        if (!v)
            return options.fail(QStringLiteral("--vg2 needs a number, not '%1'").arg(options.text("vg2")));
        import.vg2 = static_cast<float>(*v);
    }
    import.columns = options.text("columns").toStdString();

    std::vector<ImportedFamily> families;
    for (const QString& in : inputs) {
        ImportResult r = importCurveFile(inputPath(in), import);  // by the name's own bytes
        if (!r.ok) {
            std::fprintf(stderr, "zov-cli import: %s: %s\n", qPrintable(in), qPrintable(r.error));
            return 2;
        }
        std::fprintf(stderr, "%s: %s\n", qPrintable(in), qPrintable(familySummary(r.family)));
        families.push_back(std::move(r.family));
    }
    const FileResult written = writeFamiliesTdf(out, families);
    if (!written.ok) {
        std::fprintf(stderr, "zov-cli import: cannot write %s: %s\n", qPrintable(out), qPrintable(written.error));
        return 1;
    }
    return 0;
}

}  // namespace zov::cli
