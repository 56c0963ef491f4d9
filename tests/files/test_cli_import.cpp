// zov-cli import, run as a process: reference families, one for each way of
// naming what a file leaves out, become TDF files that inspect and design read;
// exit codes. What the import makes of every reference family is checked on
// the library itself.
#include "cli_runner.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace {

using namespace zov::testing;

const QString kRaw = QStringLiteral(ZOV_REFERENCE_DATA "/raw/");

QJsonObject inspect(const QString& tdf)
{
    return QJsonDocument::fromJson(runCli({"inspect", tdf}).out).object();
}

TEST(CliImport, ReferenceFamiliesBecomeTdfFiles)
{
    const struct {
        QString file;
        QStringList extra;
        int series;
        const char* designAt[3];  // --ua, --ia, --load of a stage on the family
    } cases[] = {
        {"audio-projects__tube-models/src/test-assets/ECC83.utd", {}, 5, {"200", "1", "100"}},
        {"jilott__valvestudio/projects/beamPentodePushPullBiasing/GE - 6L6GC - 400V Screen Voltage.csv",
         {"--vg2", "400"}, 13, {"450", "58", "5"}},
        {"jilott__valvestudio/experiments/02-modeling/triode/data/ecc83-philips-1954.csv",
         {"--vg1", "0,-0.5,-1,-1.5,-2,-2.5,-3,-3.5,-4"}, 9, {"250", "1.2", "100"}},
        {"AmateurECE__Vacuum-Tube-Analyses/data/12AX7-Data.txt", {"--columns", "Ua Vg Ia(mA)"}, 11,
         {"200", "1.5", "100"}},
    };
    QTemporaryDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        if (!QFile::exists(kRaw + c.file))
            GTEST_SKIP() << "reference data not available: " << c.file.toStdString();
        const QString out = dir.filePath(QStringLiteral("out.tdf"));
        const CliRun r = runCli(QStringList{"import", kRaw + c.file, "--out", out} + c.extra);
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_TRUE(r.err.contains(QStringLiteral(", %1 curves, ").arg(c.series).toUtf8())) << r.err.toStdString();
        EXPECT_EQ(r.err.count('\n'), 1);

        const QJsonObject set = inspect(out);
        EXPECT_TRUE(set["loaded"].toBool());
        EXPECT_EQ(set["series"].toArray().size(), c.series);
        EXPECT_LE(set["vg1Max"].toDouble(), 0.0);

        const CliRun design = runCli({"design", out, "--ua", c.designAt[0], "--ia", c.designAt[1], "--load",
                                      c.designAt[2], "--vdiv", "100", "--madiv", "20"});
        EXPECT_EQ(design.exitCode, 0) << design.err.toStdString();
        const QJsonObject parameters = QJsonDocument::fromJson(design.out).object()["parameters"].toObject();
        EXPECT_TRUE(parameters["found"].toBool()) << design.out.toStdString();
    }
}

TEST(CliImport, SeveralInputsOneFamilyInTdfLayout)
{
    QTemporaryDir dir;
    const QString long1 = writeTempFile(dir, "a.utd", "Va Ia(mA) Vg Vs\n100 1 -1 250\n50 0.5 -1 250\n");
    const QString wide = writeTempFile(dir, "b.csv", "Ua,-2,-3\n100,0.0004,0.0001\n");
    const QString out = dir.filePath(QStringLiteral("family.tdf"));
    const CliRun r = runCli({"import", long1, wide, "--out", out});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.err.count('\n'), 2);
    QFile f(out);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    // Sorted by anode voltage, amperes, general number format, CR LF, and an
    // empty line at the end like "Save as ...".
    EXPECT_EQ(f.readAll(), QByteArray("50 0.0005 -1 0 250\r\n100 0.001 -1 0 250\r\n100 0.0004 -2 0 0\r\n"
                                      "100 0.0001 -3 0 0\r\n\r\n"));
    EXPECT_EQ(inspect(out)["series"].toArray().size(), 3);
}

TEST(CliImport, ExitCodes)
{
    QTemporaryDir dir;
    const QString good = writeTempFile(dir, "good.csv", "Ua,-1\n100,0.001\n");
    const QString odd = writeTempFile(dir, "odd.txt", "10 0 0.05\n40 0 1\n");
    const QString out = dir.filePath(QStringLiteral("out.tdf"));

    const CliRun unrecognised = runCli({"import", good, odd, "--out", out});
    EXPECT_EQ(unrecognised.exitCode, 2);
    EXPECT_TRUE(unrecognised.err.contains("odd.txt: line 1: ")) << unrecognised.err.toStdString();
    EXPECT_FALSE(QFile::exists(out)) << "nothing is written when an input does not fit";

    const CliRun unwritable = runCli({"import", good, "--out", dir.filePath(QStringLiteral("no/such/dir/out.tdf"))});
    EXPECT_EQ(unwritable.exitCode, 1);
    EXPECT_TRUE(unwritable.err.contains("cannot write")) << unwritable.err.toStdString();

    for (const QStringList& usage :
         {QStringList{"import"}, {"import", good}, {"import", "--out", out},
          {"import", good, "--out", out, "--format", "xml"}, {"import", good, "--out", out, "--vg1", "1,x"},
          {"import", good, "--out", out, "--vg2", "high"}, {"import", dir.filePath("missing.csv"), "--out", out}})
        EXPECT_EQ(runCli(usage).exitCode, 2) << usage.join(' ').toStdString();
    EXPECT_FALSE(QFile::exists(out));

    EXPECT_EQ(runCli({"import", good, "--out", out, "--format", "wide"}).exitCode, 0);
    EXPECT_TRUE(inspect(out)["loaded"].toBool());
}

}  // namespace
