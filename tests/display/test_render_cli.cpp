// zov-cli render, run as a separate process: the files it writes and its exit
// codes for bad input.
#include "curve_text_builder.h"
#include "display/display_messages.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace zov {
namespace {

const QString kCli = QStringLiteral(ZOV_BINARY_DIR "/src/app/cli/zov-cli");

struct CliRun {
    int exitCode = -1;
    QString stdErr;
};

CliRun render(const QStringList& args)
{
    QProcess p;
    p.start(kCli, QStringList{QStringLiteral("render")} + args);
    CliRun r;
    if (!p.waitForFinished(60000))
        return r;
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.stdErr = QString::fromLocal8Bit(p.readAllStandardError());
    return r;
}

class RenderCli : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!QFileInfo::exists(kCli))
            GTEST_SKIP() << "zov-cli not built at " << kCli.toStdString();
        ASSERT_TRUE(m_dir.isValid());
        write(QStringLiteral("fam.tdf"), testing::familyText(31, 64, 300.0, 0.012));
        write(QStringLiteral("bg.tdf"), testing::familyText(31, 64, 280.0, 0.010));
    }
    QString path(const QString& name) const { return m_dir.filePath(name); }
    void write(const QString& name, const std::string& text)
    {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text.data(), static_cast<qint64>(text.size()));
    }

    QTemporaryDir m_dir;
};

TEST_F(RenderCli, WritesPngSvgAndPdf)
{
    const struct {
        const char* name;
        QByteArray head;
    } outputs[] = {{"plot.png", "\x89PNG"}, {"plot.svg", "<?xml"}, {"plot.pdf", "%PDF"}};
    for (const auto& o : outputs) {
        const QString out = path(QString::fromLatin1(o.name));
        const CliRun r = render({path(QStringLiteral("fam.tdf")), QStringLiteral("--background"),
                              path(QStringLiteral("bg.tdf")), QStringLiteral("--vdiv"), QStringLiteral("50"),
                              QStringLiteral("--madiv"), QStringLiteral("2"), QStringLiteral("--pd"),
                              QStringLiteral("2.5"), QStringLiteral("--out"), out});
        EXPECT_EQ(r.exitCode, 0) << o.name << " " << r.stdErr.toStdString();
        QFile f(out);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << o.name;
        EXPECT_TRUE(f.read(16).startsWith(o.head)) << o.name;
    }
    const QImage png(path(QStringLiteral("plot.png")));
    EXPECT_EQ(png.size(), QSize(1200, 900));  // the default size
}

TEST_F(RenderCli, SizeOption)
{
    const QString out = path(QStringLiteral("small.png"));
    const CliRun r = render({path(QStringLiteral("fam.tdf")), QStringLiteral("--size"), QStringLiteral("640x480"),
                          QStringLiteral("--out"), out});
    ASSERT_EQ(r.exitCode, 0) << r.stdErr.toStdString();
    EXPECT_EQ(QImage(out).size(), QSize(640, 480));
}

TEST_F(RenderCli, BadInputExitsWithTwoAndAClearMessage)
{
    const QString fam = path(QStringLiteral("fam.tdf"));
    const struct {
        const char* name;
        QStringList args;
        const char* message;
    } cases[] = {
        {"unknown extension", {fam, QStringLiteral("--out"), path(QStringLiteral("x.bmp"))},
         display_messages::kUnknownExtension},
        {"no extension", {fam, QStringLiteral("--out"), path(QStringLiteral("x"))},
         display_messages::kUnknownExtension},
        {"unreadable curves", {path(QStringLiteral("none.tdf")), QStringLiteral("--out"), path(QStringLiteral("x.png"))},
         display_messages::kCannotRead},
        {"unreadable background",
         {fam, QStringLiteral("--background"), path(QStringLiteral("none.tdf")), QStringLiteral("--out"),
          path(QStringLiteral("x.png"))},
         display_messages::kCannotRead},
        {"directory as input", {m_dir.path(), QStringLiteral("--out"), path(QStringLiteral("x.png"))},
         display_messages::kCannotRead},
        {"no output", {fam}, display_messages::kMissingOutput},
        {"no input", {QStringLiteral("--out"), path(QStringLiteral("x.png"))}, display_messages::kMissingInput},
        {"bad size", {fam, QStringLiteral("--size"), QStringLiteral("12"), QStringLiteral("--out"), path(QStringLiteral("x.png"))},
         display_messages::kBadSize},
        {"zero scale", {fam, QStringLiteral("--vdiv"), QStringLiteral("0"), QStringLiteral("--out"), path(QStringLiteral("x.png"))},
         display_messages::kNeedsPositive},
        {"text scale", {fam, QStringLiteral("--madiv"), QStringLiteral("1mA"), QStringLiteral("--out"), path(QStringLiteral("x.png"))},
         display_messages::kNeedsPositive},
        {"negative power", {fam, QStringLiteral("--pd"), QStringLiteral("-1"), QStringLiteral("--out"), path(QStringLiteral("x.png"))},
         display_messages::kNeedsNonNegative},
        {"missing value", {fam, QStringLiteral("--out")}, display_messages::kMissingValue},
    };
    for (const auto& c : cases) {
        const CliRun r = render(c.args);
        EXPECT_EQ(r.exitCode, 2) << c.name;
        EXPECT_TRUE(r.stdErr.contains(QString::fromLatin1(c.message))) << c.name << ": " << r.stdErr.toStdString();
        EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("x.png")))) << c.name;
    }
}

TEST_F(RenderCli, UnwritableOutputExitsWithOne)
{
    const CliRun r = render({path(QStringLiteral("fam.tdf")), QStringLiteral("--out"),
                          path(QStringLiteral("no/such/dir/x.svg"))});
    EXPECT_EQ(r.exitCode, 1) << r.stdErr.toStdString();
    EXPECT_TRUE(r.stdErr.contains(QString::fromLatin1(display_messages::kCannotWrite)));
}

}  // namespace
}  // namespace zov
