// zov-cli design end to end: options, exit codes and the JSON it prints,
// checked against the engine on the same family.
#include "design/stage_analysis.h"
#include "display/scales.h"
#include "files/tdf_file.h"
#include "files/text.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>

namespace zov {
namespace {

struct CliRun {
    int exitCode = -1;
    QJsonObject json;
};

CliRun runCli(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(ZOV_CLI_PATH), QStringList{QStringLiteral("design")} + args);
    CliRun r;
    if (!p.waitForFinished(30000))
        return r;
    r.exitCode = p.exitCode();
    r.json = QJsonDocument::fromJson(p.readAllStandardOutput()).object();
    return r;
}

// A straight-line family (gm 1 mA/V, rp 20 kOhm) as TDF text: grid 1 from 0
// to -30 V, grid 2 250 V, anode 5 ... 500 V.
std::string linearTdf()
{
    std::string tdf;
    for (int g = 0; g >= -30; --g)
        for (int u = 5; u <= 500; u += 5)
            tdf += std::to_string(u) + " " + formatGeneral((u + 20.0 * g + 220.0) / 20000.0) + " " +
                   std::to_string(g) + " 0 250\r\n";
    return tdf;
}

class DesignCli : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_file = m_dir.filePath(QStringLiteral("linear.tdf"));
        std::ofstream(m_file.toStdString(), std::ios::binary) << linearTdf();
    }
    QTemporaryDir m_dir;
    QString m_file;
};

TEST_F(DesignCli, SingleEndedMatchesTheEngine)
{
    const CliRun r = runCli({m_file, "--ua", "200", "--ia", "15", "--load", "20", "--vin", "2", "--vdiv", "50",
                          "--madiv", "4"});
    ASSERT_EQ(r.exitCode, 0);
    Workspace ws;
    ASSERT_TRUE(readCurveSetFromMemory(ws.CurveSets[0], linearTdf()));
    ws.SeriesSelections[0] = defaultSelection(ws.CurveSets[0]);
    updateScales(ws, "50", "4");
    const StageDesign d = applyOperatingPoint(ws, UaToX(ws, 200.0F), IaToY(ws, 15.0F),
                                              DesignInputs{Topology::SingleEnded, 20.0F, 2.0F});
    ASSERT_TRUE(d.analysis.results.has_value());
    // Floats are written in their shortest round-trip form.
    const auto same = [](const QJsonValue& v, float expected) { return static_cast<float>(v.toDouble()) == expected; };
    EXPECT_EQ(r.json["offPlot"].toBool(), false);
    EXPECT_TRUE(same(r.json["ua0"], 200.0F));
    EXPECT_TRUE(same(r.json["ia0"], 15.0F));
    EXPECT_TRUE(same(r.json["pd"], 3.0F));
    const QJsonObject p = r.json["parameters"].toObject();
    EXPECT_TRUE(p["found"].toBool());
    EXPECT_EQ(p["axis"].toString(), "g1");
    EXPECT_TRUE(same(p["vg0"], d.parameters->vg0));
    EXPECT_TRUE(same(p["gm"], d.parameters->gmMaPerV));
    EXPECT_TRUE(same(p["rp"], *d.parameters->rpKOhm));
    EXPECT_TRUE(same(p["mu"], *d.parameters->mu));
    EXPECT_TRUE(r.json["opCurve"].toObject()["built"].toBool());
    EXPECT_TRUE(same(r.json["opCurve"].toObject()["vg2"], 250.0F));
    const QJsonObject up = r.json["up"].toObject();
    const QJsonObject down = r.json["down"].toObject();
    EXPECT_TRUE(up["found"].toBool() && down["found"].toBool());
    EXPECT_TRUE(same(up["ua"], d.analysis.up.ua));
    EXPECT_TRUE(same(down["ia"], d.analysis.down.iaMa));
    const QJsonObject res = r.json["results"].toObject();
    EXPECT_TRUE(same(res["vout"], d.analysis.results->voutVpp));
    EXPECT_TRUE(same(res["gain"], *d.analysis.results->gain));
    EXPECT_TRUE(same(res["pout"], d.analysis.results->poutW));
    EXPECT_TRUE(same(res["h2"], *d.analysis.results->h2Percent));
    EXPECT_FALSE(r.json["beep"].toBool());
    EXPECT_NEAR(res["gain"].toDouble(), 10.0, 1e-3);
}

TEST_F(DesignCli, DefaultsAndAbsentValues)
{
    struct Case {
        const char* name;
        QStringList args;
        bool offPlot;
        bool results;
        bool beep;
    } cases[] = {
        // At the presets (20 V/div, 1 mA/div) 200 V / 15 mA lies off the plot.
        {"presets", {"--ua", "200", "--ia", "15", "--load", "20"}, true, false, false},
        // The default swing is twice the grid-1 spacing (2 Vpp).
        {"default swing", {"--ua", "100", "--ia", "4", "--load", "20", "--vdiv", "20", "--madiv", "1"}, false, true, false},
        // Push-pull shows no H2; a swing beyond the 0 V curve beeps.
        {"push-pull", {"--ua", "300", "--ia", "8", "--load", "8", "--pp", "--vin", "4", "--vdiv", "50", "--madiv", "4"}, false, true, false},
        {"beep", {"--ua", "300", "--ia", "8", "--load", "8", "--vin", "40", "--vdiv", "50", "--madiv", "4"}, false, false, true},
    };
    for (const Case& c : cases) {
        const CliRun r = runCli(QStringList{m_file} + c.args);
        ASSERT_EQ(r.exitCode, 0) << c.name;
        EXPECT_EQ(r.json["offPlot"].toBool(), c.offPlot) << c.name;
        EXPECT_EQ(r.json["results"].isObject(), c.results) << c.name;
        EXPECT_EQ(r.json["beep"].toBool(), c.beep) << c.name;
        if (c.offPlot) {
            EXPECT_TRUE(r.json["results"].isNull());
            EXPECT_FALSE(r.json["parameters"].toObject()["found"].toBool());
        }
        if (std::string(c.name) == "default swing") {
            EXPECT_NEAR(r.json["results"].toObject()["gain"].toDouble(), 10.0, 1e-3);
            EXPECT_NEAR(r.json["up"].toObject()["vg1"].toDouble() - r.json["down"].toObject()["vg1"].toDouble(), 2.0,
                        1e-5);
        }
        if (std::string(c.name) == "push-pull") {
            EXPECT_TRUE(r.json["results"].toObject()["h2"].isNull());
        }
    }
    // A single grid-1 voltage in the list means a grid-2 sweep.
    const CliRun g2 = runCli({m_file, "--ua", "100", "--ia", "4", "--load", "20", "--vg1-list", "-5"});
    EXPECT_EQ(g2.json["parameters"].toObject()["axis"].toString(), "g2");
}

TEST_F(DesignCli, ExitCodes)
{
    EXPECT_EQ(runCli({m_file, "--ua", "100", "--ia", "4"}).exitCode, 2);                    // no load
    EXPECT_EQ(runCli({m_file, "--ua", "x", "--ia", "4", "--load", "1"}).exitCode, 2);       // not a number
    EXPECT_EQ(runCli({m_file, "--ua", "1", "--ia", "4", "--load", "1", "--vdiv", "0"}).exitCode, 2);
    EXPECT_EQ(runCli({m_file, "--ua", "1", "--ia", "4", "--load", "1", "--bogus"}).exitCode, 2);
    EXPECT_EQ(runCli({m_dir.filePath("missing.tdf"), "--ua", "1", "--ia", "4", "--load", "1"}).exitCode, 2);
    // A file whose first line is too short reads but does not load.
    const QString shortFile = m_dir.filePath(QStringLiteral("short.tdf"));
    std::ofstream(shortFile.toStdString(), std::ios::binary) << "1 2\r\n100 0.001 -1 0 250\r\n";
    const CliRun r = runCli({shortFile, "--ua", "1", "--ia", "4", "--load", "1"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_FALSE(r.json["parameters"].toObject()["found"].toBool());
}

}  // namespace
}  // namespace zov
