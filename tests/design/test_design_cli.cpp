// zov-cli design end to end, against the engine, on the straight-line family
// (gm 1 mA/V, rp 20 kOhm; grid 1 0 ... -30 V, grid 2 250 V).
#include "cli_runner.h"
#include "straight_family.h"
#include "design/stage_analysis.h"
#include "plot/scales.h"
#include "files/tdf_file.h"
#include "core/text.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <memory>

#include <fcntl.h>
#include <unistd.h>

namespace zov {
namespace {

std::string linearTdf() { return testing::straightFamilyTdf(1, 5, "250"); }

QJsonObject design(const QStringList& args, int exitCode = 0, const QString& file = {})
{
    static QTemporaryDir dir;
    static const QString linear = testing::writeTempFile(dir, "linear.tdf", QByteArray::fromStdString(linearTdf()));
    const auto r = testing::runCli(QStringList{"design", file.isEmpty() ? linear : file} + args);
    EXPECT_EQ(r.exitCode, exitCode) << args.join(' ').toStdString();
    return QJsonDocument::fromJson(r.out).object();
}

QJsonValue at(const QJsonObject& json, const char* object, const char* key) { return json[object].toObject()[key]; }

TEST(DesignCli, SingleEndedMatchesTheEngine)
{
    const QJsonObject json = design({"--ua", "200", "--ia", "15", "--load", "20", "--vin", "2", "--vdiv", "50", "--madiv", "4"});
    Workspace ws;
    ASSERT_TRUE(readCurveSetFromMemory(ws.CurveSets[0], linearTdf()));
    ws.SeriesSelections[0] = defaultSelection(ws.CurveSets[0]);
    updateScales(ws, "50", "4");
    const StageDesign d = applyOperatingPoint(ws, UaToX(ws, 200.0F), IaToY(ws, 15.0F), {Topology::SingleEnded, 20.0F, 2.0F});
    ASSERT_TRUE(d.analysis.results);
    ASSERT_TRUE(d.parameters->rpKOhm);
    const StageResults& res = *d.analysis.results;
    EXPECT_FALSE(json["offPlot"].toBool());
    EXPECT_FALSE(json["beep"].toBool());
    EXPECT_EQ(at(json, "parameters", "axis"), "g1");
    for (const char* object : {"parameters", "opCurve", "up", "down"})
        EXPECT_TRUE(at(json, object, object[0] == 'o' ? "built" : "found").toBool()) << object;
    // Every number reads back to the engine's 32-bit float.
    const std::pair<QJsonValue, float> numbers[] = {
        {json["ua0"], 200.0F}, {json["ia0"], 15.0F}, {json["pd"], 3.0F}, {at(json, "opCurve", "vg2"), 250.0F},
        {at(json, "parameters", "vg0"), d.parameters->vg0}, {at(json, "parameters", "gm"), d.parameters->gmMaPerV},
        {at(json, "parameters", "rp"), *d.parameters->rpKOhm}, {at(json, "parameters", "mu"), *d.parameters->mu},
        {at(json, "up", "ua"), d.analysis.up.ua}, {at(json, "down", "ia"), d.analysis.down.iaMa},
        {at(json, "results", "vout"), res.voutVpp}, {at(json, "results", "gain"), *res.gain},
        {at(json, "results", "pout"), res.poutW}, {at(json, "results", "h2"), *res.h2Percent}};
    for (const auto& [value, expected] : numbers)
        EXPECT_EQ(float(value.toDouble()), expected);
}

TEST(DesignCli, DefaultsAbsentValuesAndExitCodes)
{
    // At the default 20 V/div and 1 mA/div, 200 V / 15 mA lies off the plot: no analysis.
    const QJsonObject off = design({"--ua", "200", "--ia", "15", "--load", "20"});
    EXPECT_TRUE(off["offPlot"].toBool());
    EXPECT_TRUE(off["results"].isNull());
    EXPECT_FALSE(at(off, "parameters", "found").toBool());
    // The default swing is twice the grid-1 spacing.
    const QStringList at100 = {"--ua", "100", "--ia", "4", "--load", "20", "--vdiv", "20", "--madiv", "1"};
    const QJsonObject swing = design(at100);
    EXPECT_NEAR(at(swing, "up", "vg1").toDouble() - at(swing, "down", "vg1").toDouble(), 2.0, 1e-5);
    EXPECT_NEAR(at(swing, "results", "gain").toDouble(), 10.0, 1e-3);
    // Push-pull shows no H2; a swing beyond the 0 V curve beeps and shows no results.
    const QStringList at300 = {"--ua", "300", "--ia", "8", "--load", "8", "--vdiv", "50", "--madiv", "4"};
    const QJsonObject pp = design(at300 + QStringList{"--pp", "--vin", "4"});
    EXPECT_TRUE(pp["results"].isObject());
    EXPECT_TRUE(at(pp, "results", "h2").isNull());
    const QJsonObject beep = design(at300 + QStringList{"--vin", "40"});
    EXPECT_TRUE(beep["beep"].toBool());
    EXPECT_TRUE(beep["results"].isNull());
    // A single grid-1 voltage in the list means a grid-2 sweep.
    EXPECT_EQ(at(design(at100 + QStringList{"--vg1-list", "-5"}), "parameters", "axis"), "g2");

    // Exit codes: 2 for a usage error or an unreadable file, 1 for a file that did not load.
    const QStringList ok = {"--ua", "1", "--ia", "4", "--load", "1"};
    for (const QStringList& usage : {QStringList{"--ua", "100", "--ia", "4"}, QStringList{"--ua", "x", "--ia", "4", "--load", "1"},
                                     ok + QStringList{"--vdiv", "0"}})
        design(usage, 2);
    QTemporaryDir dir;
    design(ok, 2, dir.filePath("missing.tdf"));
    // A first line too short: the file reads but does not load.
    const QJsonObject json = design(ok, 1, testing::writeTempFile(dir, "short.tdf", "1 2\r\n100 0.001 -1 0 250\r\n"));
    EXPECT_FALSE(at(json, "parameters", "found").toBool());
}

// A file name that is not valid UTF-8 is opened by its own bytes. Qt decodes
// such a name with replacement characters; a decoy file under that decoded
// name (which does not load) shows which file was read. The name goes through
// a shell because QProcess would encode it as UTF-8 as well.
TEST(DesignCli, FileNamesAreOpenedByTheirBytes)
{
    QTemporaryDir dir;
    const QByteArray prefix = QFile::encodeName(dir.filePath("family"));
    const QByteArray name = prefix + "\xff\xfe.tdf";
    const QByteArray family = QByteArray::fromStdString(linearTdf());
    // QTemporaryDir removes by decoded names too, so the file goes by its bytes.
    const std::unique_ptr<const char, void (*)(const char*)> removeAtEnd(name.constData(),
                                                                        [](const char* n) { ::unlink(n); });
    QFile decoy(QFile::decodeName(name));
    ASSERT_TRUE(decoy.open(QIODevice::WriteOnly));
    ASSERT_EQ(decoy.write("1 2\r\n"), 5);
    decoy.close();
    ASSERT_NE(QFile::encodeName(decoy.fileName()), name);
    // zov-cli COMMAND [OPTION] NAME ARGS..., NAME being prefix, the two bytes and the suffix.
    const auto runWithName = [&](const QString& command, const QStringList& args, const QString& option = {},
                                 const QString& suffix = QStringLiteral(".tdf")) {
        const QString script = QStringLiteral(
            R"(p="$1$(printf '\377\376')$2"; o="$3"; c="$4"; shift 4; exec "$0" "$c" $o "$p" "$@")");
        testing::CliRun r;
        QProcess shell;
        shell.start(QStringLiteral("/bin/sh"),
                    QStringList{"-c", script, testing::cliPath(), QFile::decodeName(prefix), suffix, option, command} + args);
        if (shell.waitForFinished(30000) && shell.exitStatus() == QProcess::NormalExit)
            r.exitCode = shell.exitCode();
        r.out = shell.readAllStandardOutput();
        r.err = shell.readAllStandardError();
        return r;
    };
    const auto missing = runWithName("design", {"--ua", "1", "--ia", "1", "--load", "1"});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_TRUE(missing.err.contains("cannot open")) << missing.err.toStdString();
    {
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::write(fd, family.constData(), std::size_t(family.size())), family.size());
        ::close(fd);
    }
    const auto designRun = runWithName("design", {"--ua", "100", "--ia", "4", "--load", "20"});
    ASSERT_EQ(designRun.exitCode, 0) << designRun.err.toStdString();
    EXPECT_TRUE(at(QJsonDocument::fromJson(designRun.out).object(), "parameters", "found").toBool());
    const auto inspectRun = runWithName("inspect", {});
    EXPECT_EQ(inspectRun.exitCode, 0);
    EXPECT_EQ(QJsonDocument::fromJson(inspectRun.out).object()["series"].toArray().size(), 31);
    const auto importRun = runWithName("import", {"--out", dir.filePath("imported.tdf")});
    EXPECT_EQ(importRun.exitCode, 0);
    EXPECT_TRUE(QFile::exists(dir.filePath("imported.tdf"))) << importRun.err.toStdString();
    const auto renderRun = runWithName("render", {"--out", dir.filePath("family.png")});
    EXPECT_EQ(renderRun.exitCode, 0);
    EXPECT_TRUE(QFile::exists(dir.filePath("family.png"))) << renderRun.err.toStdString();

    // Output names go to writers that take decoded names: one that does not
    // survive decoding is refused, never written under the decoded name.
    const QString good = dir.filePath("good.tdf");
    QFile::copy(QFile::decodeName(name), good);
    const struct {
        const char* command;
        const char* option;
        const char* suffix;
        QStringList args;
    } outputs[] = {{"render", "--out", ".png", {good}},
                   {"import", "--out", ".tdf", {good}},
                   {"capture", "--save", ".tdf", {"--port", "/dev/null", "--start", "0", "--stop", "1"}}};
    for (const auto& o : outputs) {
        const auto run = runWithName(o.command, o.args, o.option, o.suffix);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(run.err.contains("not valid UTF-8")) << o.command << ": " << run.err.toStdString();
    }
    EXPECT_FALSE(QFile::exists(QFile::decodeName(prefix + "\xff\xfe.png")));
    ASSERT_TRUE(decoy.open(QIODevice::ReadOnly));
    EXPECT_EQ(decoy.readAll(), "1 2\r\n");  // the decoded .tdf name was not written either
}

}  // namespace
}  // namespace zov
