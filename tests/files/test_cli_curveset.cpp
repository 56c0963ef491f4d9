// zov-cli inspect, run as a process: JSON keys, values, exit codes.

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString kCli = QStringLiteral(ZOV_BINARY_DIR "/src/app/cli/zov-cli");

struct CliRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

CliRun inspect(const QStringList& args)
{
    QProcess p;
    p.start(kCli, QStringList{QStringLiteral("inspect")} + args);
    CliRun r;
    if (!p.waitForFinished(30000))
        return r;
    r.exitCode = p.exitCode();
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

QString writeFile(const QTemporaryDir& dir, const char* name, const QByteArray& bytes)
{
    const QString path = dir.filePath(QString::fromLatin1(name));
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
}

class CliInspect : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!QFileInfo::exists(kCli))
            GTEST_SKIP() << "zov-cli not built at " << kCli.toStdString();
    }
    QTemporaryDir m_dir;
};

TEST_F(CliInspect, LoadedFamilyAsJson)
{
    const QString path = writeFile(m_dir, "f.tdf",
                                   "0.94 0 -2 0 250\r\n41.36 0.000864 -2 0 250\r\n"
                                   "0.94 0 -4 0 250\r\n40.42 0.000185 -4 0 250\r\n\r\n");
    const CliRun r = inspect({path, QStringLiteral("--points")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QJsonObject o = QJsonDocument::fromJson(r.out).object();
    for (const char* key : {"file", "loaded", "vg1Max", "vg1Min", "vg1Spacing", "vg1Top", "vg1Table", "vg2Max",
                            "vg2Min", "vg2Spacing", "vg2Top", "vg2Table", "uaMax", "iaMax", "series"})
        EXPECT_TRUE(o.contains(QLatin1String(key))) << key;
    EXPECT_EQ(o.value(QStringLiteral("file")).toString(), path);
    EXPECT_TRUE(o.value(QStringLiteral("loaded")).toBool());
    EXPECT_EQ(o.value(QStringLiteral("vg1Top")).toInt(), 1);
    EXPECT_EQ(o.value(QStringLiteral("vg1Table")).toArray(),
              QJsonArray({QJsonArray({-4, 1}), QJsonArray({-2, 0})}));
    // Numbers read back to the same 32-bit float.
    EXPECT_EQ(static_cast<float>(o.value(QStringLiteral("iaMax")).toDouble()), 0.000864F);
    const QJsonArray series = o.value(QStringLiteral("series")).toArray();
    ASSERT_EQ(series.size(), 2);
    const QJsonObject second = series.at(1).toObject();
    EXPECT_EQ(second.value(QStringLiteral("vg1")).toDouble(), -4.0);
    EXPECT_EQ(second.value(QStringLiteral("count")).toInt(), 3);
    const QJsonArray points = second.value(QStringLiteral("points")).toArray();
    ASSERT_EQ(points.size(), 3);
    EXPECT_EQ(points.at(0).toArray(), QJsonArray({0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(static_cast<float>(points.at(2).toArray().at(1).toDouble()), 0.000185F);

    const CliRun brief = inspect({path});
    EXPECT_FALSE(QJsonDocument::fromJson(brief.out).object().value(QStringLiteral("series")).toArray().at(0)
                     .toObject().contains(QStringLiteral("points")));
}

TEST_F(CliInspect, ExitCodes)
{
    const CliRun notLoaded = inspect({writeFile(m_dir, "short.tdf", "0 0 0\r\n")});
    EXPECT_EQ(notLoaded.exitCode, 1);
    EXPECT_FALSE(QJsonDocument::fromJson(notLoaded.out).object().value(QStringLiteral("loaded")).toBool(true));

    const CliRun missing = inspect({m_dir.filePath(QStringLiteral("missing.tdf"))});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_TRUE(missing.out.isEmpty());
    EXPECT_FALSE(missing.err.isEmpty());

    EXPECT_EQ(inspect({}).exitCode, 2);
    EXPECT_EQ(inspect({QStringLiteral("a.tdf"), QStringLiteral("b.tdf")}).exitCode, 2);
    EXPECT_EQ(inspect({QStringLiteral("--bogus")}).exitCode, 2);
}

}  // namespace
