// zov-cli inspect, run as a process: JSON keys, values, exit codes.
#include "cli_runner.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace {

using namespace zov::testing;

QJsonObject json(const CliRun& r) { return QJsonDocument::fromJson(r.out).object(); }

TEST(CliInspect, LoadedFamilyAsJson)
{
    QTemporaryDir dir;
    const QString path = writeTempFile(dir, "f.tdf", "0.94 0 -2 0 250\r\n41.36 0.000864 -2 0 250\r\n"
                                                     "0.94 0 -4 0 250\r\n40.42 0.000185 -4 0 250\r\n\r\n");
    const CliRun r = runCli({"inspect", path, "--points"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QJsonObject o = json(r);
    for (const char* key : {"file", "loaded", "vg1Max", "vg1Min", "vg1Spacing", "vg1Top", "vg1Table", "vg2Max",
                            "vg2Min", "vg2Spacing", "vg2Top", "vg2Table", "uaMax", "iaMax", "series"})
        EXPECT_TRUE(o.contains(QLatin1String(key))) << key;
    EXPECT_EQ(o["file"].toString(), path);
    EXPECT_EQ(o["vg1Table"].toArray(), QJsonArray({QJsonArray({-4, 1}), QJsonArray({-2, 0})}));
    EXPECT_EQ(static_cast<float>(o["iaMax"].toDouble()), 0.000864F);  // the same 32-bit float back
    const QJsonObject second = o["series"].toArray().at(1).toObject();
    EXPECT_EQ(second["vg1"].toDouble(), -4.0);
    EXPECT_EQ(second["count"].toInt(), 3);
    const QJsonArray points = second["points"].toArray();
    ASSERT_EQ(points.size(), 3);  // sorted: the extra zero point first
    EXPECT_EQ(points.at(0).toArray(), QJsonArray({0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(static_cast<float>(points.at(2).toArray().at(1).toDouble()), 0.000185F);
    EXPECT_FALSE(json(runCli({"inspect", path}))["series"].toArray().at(0).toObject().contains("points"));
}

TEST(CliInspect, ExitCodes)
{
    QTemporaryDir dir;
    const CliRun notLoaded = runCli({"inspect", writeTempFile(dir, "short.tdf", "0 0 0\r\n")});
    EXPECT_EQ(notLoaded.exitCode, 1);
    EXPECT_FALSE(json(notLoaded)["loaded"].toBool(true));  // the JSON is still printed
    const CliRun missing = runCli({"inspect", dir.filePath("missing.tdf")});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_TRUE(missing.out.isEmpty());
    EXPECT_FALSE(missing.err.isEmpty());
    for (const QStringList& usage : {QStringList{"inspect"}, {"inspect", "a.tdf", "b.tdf"}})
        EXPECT_EQ(runCli(usage).exitCode, 2) << usage.join(' ').toStdString();
}

}  // namespace
