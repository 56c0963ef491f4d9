// zov-cli design FILE.tdf --ua V --ia MA --load KOHM [--vin VPP] [--pp]
//                [--vdiv V] [--madiv MA] [--vg1-list LIST] [--vg2-list LIST]
//
// Runs what a left click at the operating point runs in the design mode: the
// point goes to a plot position at the scales (20 V/div and 1 mA/div unless
// given, the window's presets) and back, then placement, tube parameters, the
// operating curve and the swing analysis. Prints one JSON object; a value the
// window would leave empty is null. Exit 0 when the file loaded, 1 when it was
// read but did not load, 2 for a usage error or a file that cannot be opened.

#include "app/cli/command_options.h"
#include "app/cli/commands.h"
#include "app/cli/json_writer.h"
#include "app/cli/native_args.h"
#include "design/design_inputs.h"
#include "design/stage_analysis.h"
#include "plot/scales.h"
#include "files/tdf_file.h"
#include "core/text.h"

#include <cstdio>
#include <optional>

namespace zov::cli {

namespace {

// A selection list as the selection frame writes it: each value followed by ",".
std::string asList(const QString& text)
{
    std::string list = text.toStdString();
    if (!list.empty() && list.back() != ',')
        list += ',';
    return list;
}

void optionalValue(JsonWriter& json, const char* key, const std::optional<float>& v)
{
    json.key(key);
    if (v)
        json.value(*v);
    else
        json.null();
}

void writeSwingEnd(JsonWriter& json, const char* key, const SwingEnd& end)
{
    json.key(key).beginObject();
    optionalValue(json, "vg1", end.computed ? std::optional<float>(end.vg1) : std::nullopt);
    optionalValue(json, "vg2", end.computed ? std::optional<float>(end.vg2) : std::nullopt);
    json.key("built").value(end.built);
    json.key("found").value(end.found);
    optionalValue(json, "ua", end.found ? std::optional<float>(end.ua) : std::nullopt);
    optionalValue(json, "ia", end.found ? std::optional<float>(end.iaMa) : std::nullopt);
    json.endObject();
}

std::string designJson(const Workspace& ws, const StageDesign& d, float ua0, float ia0Ma)
{
    const bool placed = d.placement.placed;
    const bool found = d.parameters && d.parameters->found;
    JsonWriter json;
    json.beginObject();
    json.key("ua0").value(ua0);
    json.key("ia0").value(ia0Ma);
    json.key("offPlot").value(!placed);
    optionalValue(json, "pd", placed ? std::optional<float>(d.placement.pdW) : std::nullopt);

    json.key("parameters").beginObject();
    json.key("found").value(found);
    json.key("axis");
    if (d.parameters)
        json.value(d.parameters->axis == SweepAxis::Grid1 ? "g1" : "g2");
    else
        json.null();
    optionalValue(json, "vg0", found ? std::optional<float>(d.parameters->vg0) : std::nullopt);
    optionalValue(json, "gm", found ? std::optional<float>(d.parameters->gmMaPerV) : std::nullopt);
    optionalValue(json, "rp", found ? d.parameters->rpKOhm : std::nullopt);
    optionalValue(json, "mu", found ? d.parameters->mu : std::nullopt);
    json.endObject();

    json.key("opCurve").beginObject();
    json.key("built").value(d.opCurveBuilt);
    optionalValue(json, "vg1", found ? std::optional<float>(ws.OpCurve.Vg1) : std::nullopt);
    optionalValue(json, "vg2", found ? std::optional<float>(ws.OpCurve.Vg2) : std::nullopt);
    json.endObject();

    json.key("junction").beginObject();
    optionalValue(json, "ua", placed ? std::optional<float>(ws.JunctionUa) : std::nullopt);
    optionalValue(json, "ia", placed ? std::optional<float>(ws.JunctionIa) : std::nullopt);
    json.endObject();

    writeSwingEnd(json, "up", d.analysis.up);
    writeSwingEnd(json, "down", d.analysis.down);

    json.key("results");
    if (const auto& r = d.analysis.results) {
        json.beginObject();
        json.key("vout").value(r->voutVpp);
        optionalValue(json, "gain", r->gain);
        json.key("pout").value(r->poutW);
        optionalValue(json, "h2", r->h2Percent);
        json.endObject();
    } else {
        json.null();
    }
    json.key("beep").value(d.analysis.beep);
    json.endObject();
    return json.str();
}

const char kDesignUsage[] =
    "Usage: zov-cli design FILE.tdf --ua V --ia MA --load KOHM [--vin VPP] [--pp]\n"
    "                      [--vdiv V] [--madiv MA] [--vg1-list LIST] [--vg2-list LIST]\n"
    "\n"
    "Designs a stage at an operating point, as a left click in the design mode does,\n"
    "and prints the results as JSON (a value the window leaves empty is null).\n"
    "\n"
    "  --ua V, --ia MA   the operating point\n"
    "  --load KOHM       load resistance (single-ended) or anode-to-anode load (--pp)\n"
    "  --vin VPP         input swing, peak to peak (default: from the family)\n"
    "  --pp              push-pull instead of single-ended\n"
    "  --vdiv V          volts per division (default 20)\n"
    "  --madiv MA        milliamperes per division (default 1)\n"
    "  --vg1-list LIST   grid-1 voltages to use, e.g. \"-2,-4,\" (default: all)\n"
    "  --vg2-list LIST   grid-2 voltages to use (default: all)\n"
    "\n"
    "Exit codes: 0 done, 1 the file was read but did not load, 2 usage error or\n"
    "unreadable file.\n";
}  // namespace

int runDesign(const QStringList& args)
{
    CommandOptions options("design", kDesignUsage);
    options.value("ua", "V").value("ia", "MA").value("load", "KOHM").value("vin", "VPP");
    options.value("vdiv", "V").value("madiv", "MA").value("vg1-list", "LIST").value("vg2-list", "LIST");
    options.flag("pp");
    if (const auto exit = options.parse(args))
        return *exit;

    for (const char* name : {"ua", "ia", "load", "vin", "vdiv", "madiv"}) {
        if (options.isSet(name) && !options.number(name))
            return options.fail(QStringLiteral("--%1 needs a number, not '%2'")
                                    .arg(QLatin1String(name), options.text(name)));
    }
    const std::optional<QString> file = options.singlePositional("no TDF file given");
    if (!file)
        return 2;
    const QString path = *file;
    const auto ua = options.number("ua");
    const auto ia = options.number("ia");
    const auto load = options.number("load");
    const auto vin = options.number("vin");
    const auto vdiv = options.number("vdiv");
    const auto madiv = options.number("madiv");
    const bool pushPull = options.isSet("pp");
    if (!ua || !ia || !load)
        return options.fail("--ua, --ia and --load are required");
    if ((vdiv && !(*vdiv > 0.0)) || (madiv && !(*madiv > 0.0)))
        return options.fail("--vdiv and --madiv must be positive");

    Workspace ws;
    ws.ModeName = WorkMode::Cook;
    CurveSet& set = ws.CurveSets[0];
    set.FileName = path;
    // Read by the name's own bytes, which need not be UTF-8.
    const std::optional<QByteArray> bytes = readArgumentFile(path);
    if (!bytes) {
        std::fprintf(stderr, "zov-cli: cannot open '%s'\n", nativeArgument(path).constData());
        return 2;
    }
    readCurveSetFromMemory(set, std::string_view(bytes->constData(), static_cast<std::size_t>(bytes->size())));

    // Scales as the selectors give them: a number written as text and read back.
    updateScales(ws, vdiv ? formatRoundTrip(static_cast<float>(*vdiv)) : std::string("20"),
                 madiv ? formatRoundTrip(static_cast<float>(*madiv)) : std::string("1"));

    SeriesSelection selection = defaultSelection(set);
    if (options.isSet("vg1-list"))
        selection.Vg1List = asList(options.text("vg1-list"));
    if (options.isSet("vg2-list"))
        selection.Vg2List = asList(options.text("vg2-list"));
    ws.SeriesSelections[0] = selection;

    DesignInputs inputs;
    inputs.topology = pushPull ? Topology::PushPull : Topology::SingleEnded;
    inputs.loadKOhm = clampLoadKOhm(static_cast<float>(*load));  // as the load field clamps it
    inputs.vinVpp = vin ? static_cast<float>(*vin) : defaultInputSwing(set);

    const float x = UaToX(ws, static_cast<float>(*ua));
    const float y = IaToY(ws, static_cast<float>(*ia));
    const StageDesign design = applyOperatingPoint(ws, x, y, inputs);

    std::string out = designJson(ws, design, XToUa(ws, x), YToIa(ws, y));
    out += '\n';
    std::fwrite(out.data(), 1, out.size(), stdout);
    return set.Loaded ? 0 : 1;
}

}  // namespace zov::cli
