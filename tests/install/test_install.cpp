// The installed program: `cmake --install` into a scratch prefix puts both
// programs, the default project, the menu entry and the icon where each is
// looked for, and the installed programs run from there.

#include "cli_runner.h"
#include "zov_version.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>
#include <QSvgRenderer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using ProgramRun = zov::testing::CliRun;

// Installing and a first start may take long on a busy machine.
constexpr int kTimeoutMs = 120000;

ProgramRun runProgram(const QString& program, const QStringList& args,
                      const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment())
{
    return zov::testing::runProgram(program, args, kTimeoutMs, {}, env);
}

class Installed : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_prefix = new QTemporaryDir;
        s_install = runProgram(QStringLiteral(ZOV_CMAKE_COMMAND),
                        {"--install", ZOV_BINARY_DIR, "--prefix", s_prefix->path()});
    }
    static void TearDownTestSuite()
    {
        delete s_prefix;
        s_prefix = nullptr;
    }
    void SetUp() override { ASSERT_EQ(s_install.exitCode, 0) << s_install.err.toStdString(); }

    static QString path(const QString& relative) { return s_prefix->filePath(relative); }

    static inline QTemporaryDir* s_prefix = nullptr;
    static inline ProgramRun s_install;
};

TEST_F(Installed, PutsEachFileWhereItIsLookedFor)
{
    const struct {
        const char* file;
        bool executable;
    } expected[] = {
        {"bin/zov", true},
        {"bin/zov-cli", true},
        {"bin/DoNotErase.zov", false},  // the program looks beside itself
        {"share/applications/zovograph.desktop", false},
        {"share/icons/hicolor/scalable/apps/zovograph.svg", false},
    };
    for (const auto& e : expected) {
        const QFileInfo info(path(e.file));
        EXPECT_TRUE(info.isFile()) << e.file;
        EXPECT_EQ(info.isExecutable(), e.executable) << e.file;
    }
    // The default project is the one in the sources, byte for byte.
    QFile shipped(ZOV_SOURCE_DIR "/src/app/gui/DoNotErase.zov");
    QFile installed(path("bin/DoNotErase.zov"));
    ASSERT_TRUE(shipped.open(QIODevice::ReadOnly)) << shipped.fileName().toStdString();
    ASSERT_TRUE(installed.open(QIODevice::ReadOnly)) << installed.fileName().toStdString();
    EXPECT_EQ(installed.readAll(), shipped.readAll());
}

TEST_F(Installed, TheMenuEntryStartsAnInstalledProgramWithAnInstalledIcon)
{
    QSettings entry(path("share/applications/zovograph.desktop"), QSettings::IniFormat);
    entry.beginGroup("Desktop Entry");
    EXPECT_EQ(entry.value("Type").toString(), "Application");
    EXPECT_EQ(entry.value("Name").toString(), "Zovograph");
    const QString program = entry.value("Exec").toString().section(' ', 0, 0);
    EXPECT_TRUE(QFileInfo(path("bin/" + program)).isExecutable()) << program.toStdString();
    const QString icon = entry.value("Icon").toString();
    QSvgRenderer svg(path("share/icons/hicolor/scalable/apps/" + icon + ".svg"));
    EXPECT_TRUE(svg.isValid()) << icon.toStdString();
    EXPECT_EQ(svg.defaultSize().width(), svg.defaultSize().height());
}

TEST_F(Installed, BothProgramsTellTheirVersion)
{
    for (const char* program : {"zov", "zov-cli"}) {
        const ProgramRun r = runProgram(path(QStringLiteral("bin/") + program), {"--version"});
        EXPECT_EQ(r.exitCode, 0) << program << ": " << r.err.toStdString();
        EXPECT_EQ(r.out.trimmed(), QByteArray(program) + " " + ZOV_VERSION_STRING);
    }
}

// Started without a project and with no recently-used file, the installed
// window opens the default project installed beside it (a user folder of its
// own keeps a default project or recent file of this machine's user out).
TEST_F(Installed, TheWindowOpensTheInstalledDefaultProject)
{
    QTemporaryDir scratch;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_CONFIG_HOME", scratch.filePath("config"));
    const QString png = scratch.filePath("w.png");
    const QString json = scratch.filePath("w.json");
    const ProgramRun r = runProgram(path("bin/zov"), {"--snapshot", png, "--controls", json}, env);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    QFile f(json);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QJsonObject window = QJsonDocument::fromJson(f.readAll()).object();
    EXPECT_TRUE(window["windowTitle"].toString().endsWith(" [DoNotErase.zov]"))
        << window["windowTitle"].toString().toStdString();
    // VG2=250 in the default project's [DATA].
    EXPECT_EQ(window["controls"].toObject()["TxVg2"].toObject()["text"].toString(), "250");
    EXPECT_FALSE(QFile::exists(path("bin/ZOV.mru")));  // a snapshot records no recent project
}

// The installed program keeps what it records per user, not beside itself:
// as root it could write into bin/ (and into /usr/bin from the package).
TEST_F(Installed, TheInstalledWindowRecordsItsRecentProjectInTheUsersFolder)
{
    QTemporaryDir scratch;
    QFile::copy(ZOV_SOURCE_DIR "/src/app/gui/DoNotErase.zov", scratch.filePath("amp.zov"));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_CONFIG_HOME", scratch.filePath("config"));
    QProcess window;
    window.setProcessEnvironment(env);
    window.start(path("bin/zov"), {scratch.filePath("amp.zov")});
    const QString recent = scratch.filePath("config/zov/ZOV.mru");
    for (int waited = 0; waited < 60000 && !QFile::exists(recent) && window.state() != QProcess::NotRunning;
         waited += 50)
        window.waitForFinished(50);
    const bool exitedEarly = window.state() == QProcess::NotRunning;
    window.kill();
    window.waitForFinished();
    ASSERT_FALSE(exitedEarly) << window.readAllStandardError().toStdString();
    const QSettings recorded(recent, QSettings::IniFormat);
    EXPECT_EQ(recorded.value("LAST/Last").toString().toStdString(), scratch.filePath("amp.zov").toStdString());
    EXPECT_FALSE(QFile::exists(path("bin/ZOV.mru")));
}

}  // namespace
