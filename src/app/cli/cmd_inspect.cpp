// zov-cli inspect FILE.tdf [--points]: the curve set read from a TDF file, as
// one JSON object. Exit 0 when the set loaded, 1 when the file was read but
// did not load (the JSON still shows the reset slot), 2 when the file cannot
// be opened or the arguments are wrong.

#include "app/cli/command_options.h"
#include "app/cli/commands.h"
#include "app/cli/json_writer.h"
#include "app/cli/native_args.h"
#include "files/tdf_file.h"

#include <cstdio>
#include <optional>
#include <string_view>

namespace zov::cli {

namespace {

void writeTable(JsonWriter& json, const std::vector<GridColumn>& table)
{
    json.beginArray();
    for (const GridColumn& column : table)
        json.beginArray().value(column.voltage).value(column.series).endArray();
    json.endArray();
}

std::string curveSetJson(const CurveSet& set, bool withPoints)
{
    JsonWriter json;
    const QByteArray file = set.FileName.toUtf8();
    json.beginObject();
    json.key("file").value(std::string_view(file.constData(), static_cast<std::size_t>(file.size())));
    json.key("loaded").value(set.Loaded);
    json.key("vg1Max").value(set.Vg1Max);
    json.key("vg1Min").value(set.Vg1Min);
    json.key("vg1Spacing").value(set.Vg1Spacing);
    json.key("vg1Top").value(set.Vg1Top);
    json.key("vg1Table");
    writeTable(json, set.Vg1Table);
    json.key("vg2Max").value(set.Vg2Max);
    json.key("vg2Min").value(set.Vg2Min);
    json.key("vg2Spacing").value(set.Vg2Spacing);
    json.key("vg2Top").value(set.Vg2Top);
    json.key("vg2Table");
    writeTable(json, set.Vg2Table);
    json.key("uaMax").value(set.UaMax);
    json.key("iaMax").value(set.IaMax);
    json.key("series").beginArray();
    for (const Series& s : set.Series) {
        json.beginObject();
        json.key("vg1").value(s.Vg1);
        json.key("vg2").value(s.Vg2);
        json.key("count").value(static_cast<int>(s.Points.size()));
        if (withPoints) {
            json.key("points").beginArray();
            for (const PointColumn& p : s.Points) {
                json.beginArray();
                for (float v : p)
                    json.value(v);
                json.endArray();
            }
            json.endArray();
        }
        json.endObject();
    }
    json.endArray();
    json.endObject();
    return json.str();
}

const char kInspectUsage[] =
    "Usage: zov-cli inspect FILE.tdf [--points]\n"
    "\n"
    "Prints the curve set read from a TDF file as JSON.\n"
    "\n"
    "  --points   include every point of every curve\n"
    "\n"
    "Exit codes: 0 loaded, 1 read but not loaded (the JSON is still printed),\n"
    "2 usage error or unreadable file.\n";

}  // namespace

int runInspect(const QStringList& args)
{
    CommandOptions options("inspect", kInspectUsage);
    options.flag("points");
    if (const auto exit = options.parse(args))
        return *exit;
    const std::optional<QString> file = options.singlePositional("no TDF file given");
    if (!file)
        return 2;
    const QString path = *file;
    const bool withPoints = options.isSet("points");

    CurveSet set;
    set.FileName = path;
    // Read by the name's own bytes, which need not be UTF-8.
    const std::optional<QByteArray> bytes = readArgumentFile(path);
    if (!bytes) {
        std::fprintf(stderr, "zov-cli: cannot open '%s'\n", nativeArgument(path).constData());
        return 2;
    }
    readCurveSetFromMemory(set, std::string_view(bytes->constData(), static_cast<std::size_t>(bytes->size())));
    std::string out = curveSetJson(set, withPoints);
    out += '\n';
    std::fwrite(out.data(), 1, out.size(), stdout);
    return set.Loaded ? 0 : 1;
}

}  // namespace zov::cli
