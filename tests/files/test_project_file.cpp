// The project file and the recently-used list: every key and its number text,
// the order of a new file, a hand-written file kept byte for byte, the edge
// cases of loading, failed writes, the program's folder and the start-up
// choice of the project.

#include "cli_runner.h"
#include "core/text.h"
#include "files/atomic_write.h"
#include "files/file_dialog_filters.h"
#include "files/paths.h"
#include "files/program_folder.h"
#include "files/project_file.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <random>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& value, std::ostream* out) { *out << '"' << value.toStdString() << '"'; }
QT_END_NAMESPACE

namespace zov {
namespace {

using zov::testing::fileBytes;
using zov::testing::writeTempFile;

// Every field as "name=value", so that a failed comparison shows which one.
QStringList fields(const ProjectSettings& s)
{
    QStringList out = {"Mode=" + s.Mode,
                       QStringLiteral("Geometry=%1,%2,%3,%4").arg(s.TopTwips).arg(s.LeftTwips).arg(s.WidthTwips).arg(s.HeightTwips),
                       "Ia=" + s.MaPerDivText, "Ua=" + s.VoltsPerDivText, "Pa=" + s.PowerText,
                       "VG1Start=" + s.Vg1StartText, "VG1Stop=" + s.Vg1StopText, "VG1Pitch=" + s.Vg1PitchText,
                       "VG2=" + s.Vg2Text, "Comport=" + QString::number(s.ComportIndex), "Port=" + s.PortName,
                       QStringLiteral("Range32=%1").arg(s.Range32mA), "Option=" + s.Option,
                       QStringLiteral("Ia0=%1").arg(static_cast<double>(s.OperatingIaMa), 0, 'g', 9),
                       QStringLiteral("Ua0=%1").arg(static_cast<double>(s.OperatingUa), 0, 'g', 9),
                       "Load=" + s.LoadText, "Vin=" + s.VinText,
                       "Vg1List=" + QString::fromStdString(s.Selection.Vg1List),
                       "Vg2List=" + QString::fromStdString(s.Selection.Vg2List)};
    for (const QString& file : s.ImportFiles)
        out << "Import=" + file;
    out << "Tdf=" + s.TdfFolder << "Captor=" + s.CaptorFolder << "Project=" + s.ProjectFolder;
    return out;
}

ProjectSettings aCookProject()
{
    ProjectSettings s;
    s.Mode = "Cook";
    s.TopTwips = 1440;
    s.LeftTwips = -15;
    s.WidthTwips = 16500;
    s.HeightTwips = 11400;
    s.MaPerDivText = "2";
    s.VoltsPerDivText = "50";
    s.PowerText = "1.5";
    s.Vg1StartText = "0";
    s.Vg1StopText = "4";
    s.Vg1PitchText = "0.5";
    s.Vg2Text = "250";
    s.ComportIndex = -1;
    s.PortName = "/dev/ttyUSB0";
    s.Range32mA = true;
    s.Option = "PP";
    s.OperatingIaMa = 1.2345678F;
    s.OperatingUa = 250.5F;
    s.LoadText = "100";
    s.VinText = "'2";  // a leading apostrophe survives
    s.Selection = {"-1,-2,-3,", "250,"};
    s.ImportFiles = {"/data/12AX7.tdf", "", QString::fromUtf8("/data/\xC3\xA9t\xC3\xA9.b.tdf"), "", "/x/y.tdf"};
    s.TdfFolder = "/data";
    s.CaptorFolder = "/captures";
    s.ProjectFolder = "/projects";
    return s;
}

TEST(ProjectFile, NewFileHoldsEveryKeyInOrderWithItsNumberText)
{
    const std::string bytes = writeProjectSettings({}, aCookProject());
    EXPECT_EQ(bytes,
              "[Form]\r\nMode=Cook\r\nTop= 1440\r\nLeft=-15\r\nWidth= 16500\r\nHeight= 11400\r\n"
              "[DISPLAY]\r\nIa=2\r\nUa=50\r\nPa=1.5\r\nLd=100\r\n"
              "[DATA]\r\nVG1Start=0\r\nVG1Stop=4\r\nVG1Pitch=0.5\r\nVG2=250\r\nComport=-1\r\nImax=32\r\n"
              "Port=/dev/ttyUSB0\r\n"
              "[COOKING]\r\nOption=PP\r\nIa0=1.234568\r\nUa0=250.5\r\nLoad=100\r\nVin=''2\r\n"
              "Vg1List=-1,-2,-3,\r\nVg2List=250,\r\n"
              "[IMPORT]\r\n0=/data/12AX7.tdf\r\n1=\r\n2=/data/\xC3\xA9t\xC3\xA9.b.tdf\r\n3=\r\n4=/x/y.tdf\r\n"
              "[TDF]\r\nPath=/data\r\n[CAPTOR]\r\nPath=/captures\r\n[PROJECT]\r\nPath=/projects\r\n");
    ProjectSettings expected = aCookProject();
    expected.OperatingIaMa = 1.234568F;  // seven significant digits
    EXPECT_EQ(fields(readProjectSettings(bytes)), fields(expected));
    // Saving again over the same file changes nothing.
    EXPECT_EQ(writeProjectSettings(bytes, expected), bytes);
}

TEST(ProjectFile, NumberTextsAndReadingRules)
{
    const std::pair<int, const char*> integers[] = {{1440, " 1440"}, {0, " 0"}, {-1, "-1"}, {-15, "-15"}};
    for (const auto& [value, text] : integers)
        EXPECT_EQ(signedIntegerText(value), text);
    const std::pair<float, const char*> plain[] = {{12.5F, "12.5"}, {250.0F, "250"}, {0.0F, "0"}, {-3.25F, "-3.25"},
                                                   {0.47F, "0.47"}, {1.2345678F, "1.234568"}};
    for (const auto& [value, text] : plain)
        EXPECT_EQ(plainNumberText(value), text);

    // Comport: rounded halves to even; beyond the four COM names it selects COM1.
    const std::pair<const char*, int> ports[] = {{"", 0}, {" 2", 2}, {"-1", -1}, {"2.5", 2}, {"1.5", 2},
                                                 {"3.5", 0}, {"4", 0}, {"-2", 0}, {"junk", 0}, {"99999999999", 0}};
    for (const auto& [text, index] : ports)
        EXPECT_EQ(readProjectSettings(std::string("[DATA]\r\nComport=") + text + "\r\n").ComportIndex, index) << text;

    // Mode: only the exact word opens Capture. Option: only the four exact names.
    const std::tuple<const char*, bool, const char*> modes[] = {
        {"[FORM]\nMode=Capture\n[COOKING]\nOption=SE\n", true, "SE"},
        {"[FORM]\nMode=capture\n[COOKING]\nOption=se\n", false, ""},
        {"[COOKING]\nOption=Diff (a-b)\n", false, ""},
        {"[form]\nMODE= Capture \n[cooking]\noption=Match\n", true, "Match"},
        {"", false, ""}};
    for (const auto& [text, capture, option] : modes) {
        const ProjectSettings s = readProjectSettings(text);
        EXPECT_EQ(opensInCapture(s), capture) << text;
        EXPECT_EQ(optionToSelect(s), QString::fromLatin1(option)) << text;
    }

    // Imax: only 32 selects "32mA Max".
    for (const auto& [text, is32] : {std::pair{"32", true}, {" 32.0", true}, {"256", false}, {"", false}})
        EXPECT_EQ(readProjectSettings(std::string("[DATA]\nImax=") + text).Range32mA, is32) << text;

    // The operating point is placed again only when both numbers are non-zero.
    for (const auto& [text, placed] : {std::pair{"Ua0=250\nIa0=3", true}, {"Ua0=0\nIa0=3", false},
                                       {"Ua0=250\nIa0=0", false}, {"Ua0=x\nIa0=3", false},
                                       // beyond the 32-bit range: 0, never an infinite point
                                       {"Ua0=250\nIa0=1e300", false}, {"Ua0=-4e38\nIa0=3", false}})
        EXPECT_EQ(hasOperatingPoint(readProjectSettings(std::string("[COOKING]\n") + text)), placed) << text;
}

// Finding of the project-file fuzzer: a text whose first character after its
// blanks is an apostrophe lost the apostrophe on a save (the reader trims the
// blanks, then drops one apostrophe, which the writer had not doubled).
TEST(ProjectFile, TextsReadBackAsTypedLessTheirBlanks)
{
    for (const char* typed : {"'50", " '50", "\t''x", "250 ", "\r'a"}) {
        ProjectSettings s;
        s.Vg2Text = QString::fromLatin1(typed);
        const QString expected = QString(s.Vg2Text).replace(QLatin1Char('\r'), QLatin1Char(' ')).trimmed();
        EXPECT_EQ(readProjectSettings(writeProjectSettings({}, s)).Vg2Text, expected) << typed;
    }
}

TEST(ProjectFile, OperatingPointsReadBackWithinSevenDigits)
{
    // Any voltage and current a design can hold comes back to within half a
    // unit of the seventh significant digit (and the float's own rounding).
    const auto tolerance = [](float v) {
        const double a = std::abs(static_cast<double>(v));
        return 0.5 * std::pow(10.0, std::floor(std::log10(a)) - 6.0) + a * 1.2e-7;
    };
    std::mt19937 rng(11);
    std::uniform_real_distribution<float> mantissa(1.0F, 10.0F);
    std::uniform_int_distribution<int> exponent(-4, 4);
    for (int i = 0; i < 2000; ++i) {
        const float value = (i % 2 ? -1.0F : 1.0F) * mantissa(rng) * std::pow(10.0F, static_cast<float>(exponent(rng)));
        ProjectSettings s;
        s.OperatingUa = value;
        s.OperatingIaMa = value / 7.0F;
        const ProjectSettings back = readProjectSettings(writeProjectSettings({}, s));
        EXPECT_NEAR(back.OperatingUa, value, tolerance(value)) << plainNumberText(value);
        EXPECT_NEAR(back.OperatingIaMa, value / 7.0F, tolerance(value / 7.0F)) << plainNumberText(value / 7.0F);
    }
}

// A project written by hand: odd letter case, LF line ends, comments, blank
// lines, keys and sections this program does not know, no Port key yet.
constexpr char kHandWritten[] =
    "; my amplifier\n"
    "[form]\n"
    "mode=Cook\n"
    "TOP= 1440\n"
    "  left = 720\n"
    "Width= 16500\n"
    "height= 11400\n"
    "Colour=blue\n"
    "\n"
    "[Display]\n"
    "ia=2\n"
    "UA=50\n"
    "pa=1\n"
    "ld=10\n"
    "[data]\n"
    "vg1start=0\n"
    "Vg1Stop=4\n"
    "vg1pitch=0.5\n"
    "vg2=250\n"
    "ComPort= 1\n"
    "imax=32\n"
    "[Plugin]\n"
    "anything=goes here\n"
    "[cooking]\n"
    "option=SE\n"
    "ia0=2.5\n"
    "ua0=200\n"
    "load=100\n"
    "vin=2\n"
    "vg1list=-1,-2,\n"
    "VG2LIST=250,\n"
    "[import]\n"
    " 0 =/data/12AX7.tdf\n"
    "1=\n"
    "2=/data/12AX7.tdf\n"
    "3=\n"
    "4=\n"
    "[tdf]\n"
    "path=/data\n"
    "[Captor]\n"
    "Path=/cap\n"
    "[project]\n"
    "PATH=/projects\n"
    "; end\n";

TEST(ProjectFile, HandWrittenFileKeepsEveryOtherByte)
{
    QTemporaryDir dir;
    const QString path = writeTempFile(dir, "hand.zov", kHandWritten);
    ProjectSettings s = loadProjectFile(path);
    EXPECT_EQ(s.LeftTwips, 720);
    EXPECT_EQ(s.ComportIndex, 1);
    EXPECT_TRUE(s.Range32mA);
    EXPECT_EQ(s.Option, QStringLiteral("SE"));
    EXPECT_EQ(s.ImportFiles[0], QStringLiteral("/data/12AX7.tdf"));  // blanks around a key do not count
    EXPECT_EQ(s.Selection.Vg2List, "250,");
    EXPECT_EQ(s.ProjectFolder, QStringLiteral("/projects"));

    // The user changes the load and the scale, selects "256mA Max" and saves.
    s.LoadText = "47";
    s.MaPerDivText = "5";
    s.Range32mA = false;
    s.PortName = "COM2";
    const FileResult saved = saveProjectFile(path, s);
    ASSERT_TRUE(saved.ok) << saved.error.toStdString();
    std::string expected = kHandWritten;
    const auto change = [&](const std::string& from, const std::string& to) {
        const std::size_t at = expected.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        expected.replace(at, from.size(), to);
    };
    change("ia=2\n", "ia=5\r\n");
    change("ld=10\n", "ld=47\r\n");
    change("load=100\n", "load=47\r\n");
    // The new key goes after the last key of its section; Imax=32 stays.
    change("imax=32\n", "imax=32\nPort=COM2\r\n");
    EXPECT_EQ(fileBytes(path), expected);
    EXPECT_TRUE(loadProjectFile(path).Range32mA);  // recalled as "32mA Max"
}

TEST(ProjectFile, MissingOrUnreadableFileGivesTheDefaults)
{
    QTemporaryDir dir;
    QDir(dir.path()).mkdir("folder.zov");
    for (const QString& path : {dir.filePath("none.zov"), dir.filePath("folder.zov"), QString()}) {
        const ProjectSettings s = loadProjectFile(path);
        EXPECT_EQ(fields(s), fields(ProjectSettings{})) << path.toStdString();
        EXPECT_FALSE(opensInCapture(s));  // Cook mode, "COM1", "256mA Max", empty boxes
        EXPECT_EQ(s.ComportIndex, 0);
    }
}

TEST(ProjectFile, AFailedWriteSaysWhyAndLosesNothing)
{
    QTemporaryDir dir;
    const QString path = writeTempFile(dir, "p.zov", kHandWritten);
    ProjectSettings s = loadProjectFile(path);
    s.LoadText = "1";

    setInjectedWriteFailure(QStringLiteral("No space left on device"));
    const FileResult full = saveProjectFile(path, s);
    setInjectedWriteFailure(QString());
    EXPECT_FALSE(full.ok);
    EXPECT_EQ(full.error, QStringLiteral("No space left on device"));
    EXPECT_EQ(fileBytes(path), kHandWritten);

    const QString missingFolder = dir.filePath("no/such/folder/p.zov");
    const FileResult noFolder = saveProjectFile(missingFolder, s);
    EXPECT_FALSE(noFolder.ok);
    EXPECT_FALSE(noFolder.error.isEmpty());
    EXPECT_FALSE(QFile::exists(missingFolder));

    // A name that is taken by a folder cannot be read, so it is not replaced.
    QDir(dir.path()).mkdir("taken.zov");
    const FileResult taken = saveProjectFile(dir.filePath("taken.zov"), s);
    EXPECT_FALSE(taken.ok);
    EXPECT_FALSE(taken.error.isEmpty());
    EXPECT_TRUE(QFileInfo(dir.filePath("taken.zov")).isDir());
    EXPECT_FALSE(saveProjectFile(QString(), s).ok);
}

TEST(ProjectFile, WorkspaceSelectionsFoldersAndNames)
{
    // Two slots loaded from one project share the selection texts; a slot
    // without a file keeps its own.
    Workspace ws;
    ws.SeriesSelections[1] = {"-9,", "100,"};
    ProjectSettings s = loadProjectFile(QString());
    s.ImportFiles = {"/a.tdf", "", "/b.tdf", "", ""};
    s.Selection = {"-1,-2,", "250,"};
    s.Mode = "capture";
    s.ProjectFolder = "/first";
    applyToWorkspace(s, ws);
    EXPECT_EQ(ws.SeriesSelections[0].Vg1List, "-1,-2,");
    EXPECT_EQ(ws.SeriesSelections[2].Vg1List, "-1,-2,");
    EXPECT_EQ(ws.SeriesSelections[1].Vg1List, "-9,");
    EXPECT_EQ(ws.ModeName, WorkMode::Cook);
    EXPECT_EQ(ws.ProjectFolder, QStringLiteral("/first"));

    // No operating point placed: none is saved, whatever the numbers hold.
    ws.OperatingUa = 250.0F;
    ws.OperatingIa = 3.0F;
    ws.OpCurve.Drawn = false;
    ProjectSettings taken;
    takeFromWorkspace(ws, taken);
    EXPECT_FALSE(hasOperatingPoint(taken));
    ws.OpCurve.Drawn = true;
    takeFromWorkspace(ws, taken);
    EXPECT_EQ(taken.OperatingUa, 250.0F);
    EXPECT_EQ(taken.Selection.Vg2List, "250,");

    // The save dialog's filter follows the text between the first two dots.
    const DialogFilters filters = fileDialogFilters(FileNameOf("/p/a.b.zov"), "zov");
    ASSERT_EQ(filters.filters.size(), 2);
    EXPECT_TRUE(filters.filters[1].endsWith("(*.b)")) << filters.filters[1].toStdString();

    const std::pair<const char*, const char*> captions[] = {
        {"/data/12AX7.tdf", "12AX7"}, {"/data/ecc83.b.tdf", "ecc83"}, {"C:\\t\\300B.tdf", "300B"}, {"", ""}};
    for (const auto& [path, caption] : captions)
        EXPECT_EQ(slotCaption(path), QString::fromLatin1(caption));
}

TEST(ProjectFile, PortNameWinsWhenItNamesAPortThatExists)
{
    const QStringList listed = {"COM1", "COM2", "COM3", "COM4", "/dev/pts/7"};
    QTemporaryDir dir;
    const QString device = writeTempFile(dir, "ttyUSB0", "");
    const struct {
        QString name;
        int comport;
        int index;
        QString added;
    } cases[] = {
        {"COM3", 0, 2, ""},             // a listed name wins over the position
        {"/dev/pts/7", 0, 4, ""},       // the virtual module, listed beyond COM4
        {device, 1, -1, device},        // an existing device not listed: added
        {"/dev/no-such-port", 1, 1, ""},  // gone: the list position counts
        {"", 3, 3, ""},
        {"", -1, -1, ""},
        {"COM9", 0, 0, ""},
        {"/dev/pts/0", 2, 2, ""},  // an earlier run's virtual module, whatever holds that name now
    };
    for (const auto& c : cases) {
        ProjectSettings s;
        s.PortName = c.name;
        s.ComportIndex = c.comport;
        const PortChoice choice = portToSelect(s, listed);
        EXPECT_EQ(choice.index, c.index) << c.name.toStdString();
        EXPECT_EQ(choice.addName, c.added) << c.name.toStdString();
    }
    ProjectSettings s;
    EXPECT_EQ(portToSelect(s, {}).index, -1);  // an empty list selects nothing
}

TEST(ProgramFolder, WritableExecutableFolderUnlessInstalledElsePerUserFolder)
{
    QTemporaryDir dir;
    const QString user = dir.filePath("config/zov");
    const QString build = dir.filePath("build/src/app/gui");
    const QString prefixBin = dir.filePath("prefix/bin");  // `cmake --install --prefix`
    for (const QString& folder : {build, prefixBin, dir.filePath("prefix/share/applications")})
        QDir().mkpath(folder);
    writeTempFile(dir, "prefix/share/applications/zovograph.desktop", "[Desktop Entry]\n");
    const QString locked = dir.filePath("locked");  // read-only bits, binding on a user who is not root
    QDir().mkpath(locked);
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner);

    const struct {
        QString executable;
        bool installed;
        bool ownFolder;  // the program keeps its files beside itself
    } cases[] = {
        {build, false, true},
        {prefixBin, true, false},
        {QStringLiteral("/usr/bin"), true, false},  // the package's folder: root can write it, and must not
        {QStringLiteral("/usr/local/bin"), true, false},
        {QStringLiteral("/proc/self"), false, false},  // nobody can write it, not even root
        {locked, false, isFolderWritable(locked)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.executable.toStdString());
        const ProgramFolders folders{c.executable, user};
        EXPECT_EQ(isInstalledFolder(c.executable), c.installed);
        EXPECT_EQ(programFolder(folders), c.ownFolder ? c.executable : user);
        EXPECT_EQ(recentFilePath(folders), (c.ownFolder ? c.executable : user) + "/ZOV.mru");
        EXPECT_EQ(firstDialogFolder(folders), c.ownFolder ? c.executable : QDir::homePath());
        EXPECT_EQ(QDir(user).exists(), !c.ownFolder) << "the per-user folder is made only when needed";
        QDir(dir.filePath("config")).removeRecursively();
    }
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_FALSE(isFolderWritable(dir.filePath("missing")));
    EXPECT_FALSE(isInstalledFolder(QStringLiteral("/usr/binary")));
    EXPECT_FALSE(isInstalledFolder(QStringLiteral("/usr/src/zovograph/build")));
}

TEST(ProgramFolder, StartUpChoosesCommandLineThenLastThenDefault)
{
    QTemporaryDir dir;
    const ProgramFolders folders{dir.filePath("bin"), dir.filePath("user")};
    QDir().mkpath(folders.executable);
    const QString shipped = folders.executable + "/DoNotErase.zov";
    const QString own = folders.user + "/DoNotErase.zov";

    EXPECT_EQ(startupProjectPath(QString(), folders), shipped);  // even when it is missing
    writeTempFile(dir, "bin/DoNotErase.zov", "[Form]\r\nMode=Capture\r\n");
    EXPECT_EQ(startupProjectPath(QString(), folders), shipped);
    QDir().mkpath(folders.user);
    writeTempFile(dir, "user/DoNotErase.zov", "[Form]\r\nMode=Cook\r\n");
    EXPECT_EQ(startupProjectPath(QString(), folders), own);  // the user's own first

    const QString mru = recentFilePath(folders);
    EXPECT_EQ(mru, folders.executable + "/ZOV.mru");
    ASSERT_TRUE(writeLastProject(mru, "/p/amp.zov").ok);
    EXPECT_EQ(fileBytes(mru), "[LAST]\r\nLast=/p/amp.zov\r\n");
    EXPECT_EQ(startupProjectPath(QString(), folders), QStringLiteral("/p/amp.zov"));
    EXPECT_EQ(startupProjectPath("/cmd/line.zov", folders), QStringLiteral("/cmd/line.zov"));
    ASSERT_TRUE(writeLastProject(mru, "/p/second.zov").ok);
    EXPECT_EQ(readLastProject(mru), QStringLiteral("/p/second.zov"));
    ASSERT_TRUE(writeLastProject(mru, QString()).ok);  // an empty Last falls back to the default
    EXPECT_EQ(startupProjectPath(QString(), folders), own);

    const FileResult failed = writeLastProject(dir.filePath("gone/ZOV.mru"), "/p/amp.zov");
    EXPECT_FALSE(failed.ok);
    EXPECT_FALSE(failed.error.isEmpty());
}

TEST(DefaultProject, IsReadyToPressGo)
{
    const QString path = QStringLiteral(ZOV_SOURCE_DIR "/src/app/gui/DoNotErase.zov");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << "the shipped default project is missing";
    const std::string bytes = file.readAll().toStdString();
    // Its values as the window shows them are checked by the window's first start.
    const ProjectSettings s = readProjectSettings(bytes);
    EXPECT_TRUE(opensInCapture(s));
    EXPECT_FALSE(hasOperatingPoint(s));
    EXPECT_TRUE(s.ProjectFolder.isEmpty());  // the first save names the user's folder
    // It is exactly what the program writes for these settings.
    EXPECT_EQ(writeProjectSettings({}, s), bytes);
}

}  // namespace
}  // namespace zov
