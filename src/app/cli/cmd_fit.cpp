// zov-cli fit FILE.tdf --model koren-triode|koren-pentode|derk-e [--ua-max V]
//             [--ia-max MA] [--spice OUT.inc] [--name NAME]
//
// Fits a tube model to the family of a TDF file and prints one JSON object:
// model, parameters, rmsMa, maxErrMa, points, iterations, converged, ms (the
// fit's own time), and error when nothing could be fitted. --spice writes the
// fitted model as a SPICE subcircuit named NAME (default: the file's base
// name). Exit 0 when the fit converged, 3 when it did not (the JSON is still
// printed, and the SPICE file still written), 2 for a usage error or a file
// that cannot be read, 1 when the SPICE file could not be written.

#include "app/cli/command_options.h"
#include "app/cli/commands.h"
#include "app/cli/json_writer.h"
#include "app/cli/native_args.h"
#include "design/spice_export.h"
#include "design/tube_fit.h"
#include "files/atomic_write.h"
#include "files/tdf_file.h"

#include <QElapsedTimer>
#include <QFileInfo>

#include <cstdio>
#include <optional>

namespace zov::cli {

namespace {

const char kFitUsage[] =
    "Usage: zov-cli fit FILE.tdf --model koren-triode|koren-pentode|derk-e [--ua-max V] [--ia-max MA]\n"
    "                   [--spice OUT.inc] [--name NAME]\n"
    "\n"
    "Fits a tube model to the family of a TDF file and prints the result as JSON.\n"
    "  --model NAME   koren-triode, koren-pentode, or derk-e (Reefman's DerkE\n"
    "                 pentode and beam-tetrode model)\n"
    "  --ua-max V     leave out points above this anode voltage\n"
    "  --ia-max MA    leave out points whose current is above this\n"
    "  --spice FILE   write the fitted model as a SPICE subcircuit (ngspice, LTspice)\n"
    "  --name NAME    the subcircuit's name (default: the file's base name)\n"
    "Exit 0 when the fit converged, 3 when it did not (the JSON is still printed),\n"
    "2 for a usage error or an unreadable file, 1 when the SPICE file cannot be written.\n";

std::string fitJson(const FitResult& fit, double ms)
{
    JsonWriter json;
    json.beginObject();
    json.key("model").value(modelName(fit.kind));
    json.key("parameters").beginObject();
    const TubeModelParams& p = fit.params;
    json.key("mu").value(p.mu);
    json.key("ex").value(p.ex);
    json.key("kg1").value(p.kg1);
    json.key("kp").value(p.kp);
    if (fit.kind != TubeModelKind::DerkEPentode)
        json.key("kvb").value(p.kvb);
    if (isPentodeModel(fit.kind))
        json.key("kg2").value(p.kg2);
    if (fit.kind == TubeModelKind::DerkEPentode) {
        json.key("a").value(p.a);
        json.key("beta").value(p.beta);
        json.key("alphaS").value(p.alphaS);
    }
    json.endObject();
    json.key("rmsMa").value(fit.rmsMa);
    json.key("maxErrMa").value(fit.maxErrMa);
    json.key("points").value(fit.points);
    json.key("iterations").value(fit.iterations);
    json.key("converged").value(fit.converged);
    json.key("ms").value(ms);
    if (!fit.error.empty())
        json.key("error").value(fit.error);
    json.endObject();
    return json.str();
}

}  // namespace

int runFit(const QStringList& args)
{
    CommandOptions options("fit", kFitUsage);
    options.value("model", "NAME").value("ua-max", "V").value("ia-max", "MA").value("spice", "OUT.inc");
    options.value("name", "NAME");
    if (const auto exit = options.parse(args))
        return *exit;
    const QStringList files = options.positionals();
    if (files.size() != 1)
        return options.fail("give exactly one TDF file");
    if (!options.isSet("model"))
        return options.fail("--model is required");
    const QByteArray modelText = options.text("model").toUtf8();
    const std::optional<TubeModelKind> kind =
        modelFromName(std::string_view(modelText.constData(), static_cast<std::size_t>(modelText.size())));
    if (!kind)
        return options.fail(QStringLiteral("unknown model '%1' (koren-triode, koren-pentode, derk-e)")
                                .arg(options.text("model")));

    FitOptions fitOptions;
    fitOptions.kind = *kind;
    for (const auto& [name, target] :
         {std::pair{"ua-max", &fitOptions.window.uaMaxV}, {"ia-max", &fitOptions.window.iaMaxMa}}) {
        if (!options.isSet(name))
            continue;
        *target = options.number(name);
        if (!*target || !(**target > 0.0))
            return options.fail(QStringLiteral("--%1 needs a positive number, not '%2'")
                                    .arg(QLatin1String(name), options.text(name)));
    }

    if (options.isSet("spice") && !nameSurvivesDecoding(options.text("spice")))
        return options.fail(kOutputNameNotUtf8);

    const QString path = files.constFirst();
    CurveSet set;
    set.FileName = path;
    // Read by the name's own bytes, which need not be UTF-8.
    const std::optional<QByteArray> bytes = readArgumentFile(path);
    if (bytes)
        readCurveSetFromMemory(set, std::string_view(bytes->constData(), static_cast<std::size_t>(bytes->size())));
    // A file the reader reset holds no family.
    if (!bytes || !set.Loaded) {
        std::fprintf(stderr, "zov-cli: cannot read a family from '%s'\n", nativeArgument(path).constData());
        return 2;
    }

    QElapsedTimer timer;
    timer.start();
    const FitResult fit = fitTubeModel(set, fitOptions);
    const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;

    std::string out = fitJson(fit, ms);
    out += '\n';
    std::fwrite(out.data(), 1, out.size(), stdout);

    if (options.isSet("spice") && fit.error.empty()) {
        const QString subcircuit = options.isSet("name") ? options.text("name") : QFileInfo(path).completeBaseName();
        const std::string text = spiceSubcircuit(fit, subcircuit.toStdString(), QFileInfo(path).fileName().toStdString());
        const FileResult written = replaceFileAtomically(options.text("spice"), text);
        if (!written.ok) {
            std::fprintf(stderr, "zov-cli: cannot write '%s': %s\n", qPrintable(options.text("spice")),
                         qPrintable(written.error));
            return 1;
        }
    }
    return fit.converged ? 0 : 3;
}

}  // namespace zov::cli
