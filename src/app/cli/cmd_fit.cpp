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

#include "app/cli/commands.h"
#include "app/cli/json_writer.h"
#include "core/text.h"
#include "design/spice_export.h"
#include "design/tube_fit.h"
#include "files/atomic_write.h"
#include "files/tdf_file.h"

#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QFileInfo>

#include <cstdio>
#include <optional>

namespace zov::cli {

namespace {

// A whole option value as a positive number; nullopt when it is not one.
std::optional<double> positiveNumber(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    const std::string_view view =
        trimBlanks(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    std::size_t consumed = 0;
    const double v = numericValue(view, &consumed);
    if (view.empty() || consumed != view.size() || !(v > 0.0))
        return std::nullopt;
    return v;
}

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
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption model(QStringLiteral("model"), QStringLiteral("model to fit"), QStringLiteral("NAME"));
    const QCommandLineOption uaMax(QStringLiteral("ua-max"), QStringLiteral("highest anode voltage used"),
                                   QStringLiteral("V"));
    const QCommandLineOption iaMax(QStringLiteral("ia-max"), QStringLiteral("highest anode current used"),
                                   QStringLiteral("MA"));
    const QCommandLineOption spice(QStringLiteral("spice"), QStringLiteral("SPICE subcircuit file to write"),
                                   QStringLiteral("OUT.inc"));
    const QCommandLineOption name(QStringLiteral("name"), QStringLiteral("subcircuit name"), QStringLiteral("NAME"));
    parser.addOptions({model, uaMax, iaMax, spice, name});
    parser.addPositionalArgument(QStringLiteral("FILE.tdf"), QStringLiteral("the family to fit"));
    // QCommandLineParser takes the program name first.
    if (!parser.parse(QStringList{QStringLiteral("zov-cli fit")} + args))
        return usageError(QStringLiteral("fit: ") + parser.errorText());
    const QStringList files = parser.positionalArguments();
    if (files.size() != 1)
        return usageError(QStringLiteral("fit: give exactly one TDF file"));
    if (!parser.isSet(model))
        return usageError(QStringLiteral("fit: --model is required"));
    const QByteArray modelText = parser.value(model).toUtf8();
    const std::optional<TubeModelKind> kind = modelFromName(std::string_view(modelText.constData()));
    if (!kind)
        return usageError(QStringLiteral("fit: unknown model '%1' (koren-triode, koren-pentode, derk-e)")
                              .arg(parser.value(model)));

    FitOptions options;
    options.kind = *kind;
    for (const auto& [option, target] : {std::pair{&uaMax, &options.window.uaMaxV}, {&iaMax, &options.window.iaMaxMa}}) {
        if (!parser.isSet(*option))
            continue;
        *target = positiveNumber(parser.value(*option));
        if (!*target)
            return usageError(QStringLiteral("fit: --%1 needs a positive number, not '%2'")
                                  .arg(option->names().constFirst(), parser.value(*option)));
    }

    const QString path = files.constFirst();
    CurveSet set;
    set.FileName = path;
    ReadCurveSet(set);
    // A set the reader never touched has no series at all: the file did not
    // open; one it reset holds no family.
    if (set.Series.empty() || !set.Loaded) {
        std::fprintf(stderr, "zov-cli: cannot read a family from '%s'\n", qPrintable(path));
        return 2;
    }

    QElapsedTimer timer;
    timer.start();
    const FitResult fit = fitTubeModel(set, options);
    const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;

    std::string out = fitJson(fit, ms);
    out += '\n';
    std::fwrite(out.data(), 1, out.size(), stdout);

    if (parser.isSet(spice) && fit.error.empty()) {
        const QString subcircuit = parser.isSet(name) ? parser.value(name) : QFileInfo(path).completeBaseName();
        const std::string text = spiceSubcircuit(fit, subcircuit.toStdString(), QFileInfo(path).fileName().toStdString());
        const FileResult written = replaceFileAtomically(parser.value(spice), text);
        if (!written.ok) {
            std::fprintf(stderr, "zov-cli: cannot write '%s': %s\n", qPrintable(parser.value(spice)),
                         qPrintable(written.error));
            return 1;
        }
    }
    return fit.converged ? 0 : 3;
}

}  // namespace zov::cli
