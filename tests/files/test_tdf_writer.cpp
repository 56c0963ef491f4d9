#include "files/files_messages.h"
#include "files/file_channel.h"
#include "files/tdf_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>

namespace zov {
namespace {

std::string fileBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return "<missing>";
    const QByteArray b = f.readAll();
    return std::string(b.constData(), static_cast<std::size_t>(b.size()));
}

void putFile(const QString& path, const std::string& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

const std::string kCapture = "0.94 0 -2 0 250\r\n41.36 0.000864 -2 0 250\r\n";

class TdfWriting : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        ws.CurveText = kCapture;
        ws.TdfFolder = QStringLiteral("/somewhere");
    }
    void TearDown() override
    {
        setInjectedWriteFailure(QString());
        EXPECT_EQ(openChannelCount(), 0);
    }
    QString path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }

    QTemporaryDir m_dir;
    Workspace ws;
};

TEST_F(TdfWriting, SaveAsReplacesAnExistingFile)
{
    const QString p = path("family.tdf");
    putFile(p, "old content that is longer than the new one ................................\r\n");
    const FileResult r = saveCurveText(ws, p, TdfWriteMode::Replace);
    EXPECT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(fileBytes(p), kCapture + "\r\n");
    EXPECT_TRUE(ws.CurveText.empty());
    EXPECT_EQ(ws.TdfFolder, m_dir.path());
    EXPECT_EQ(ws.TdfFile, p);
}

TEST_F(TdfWriting, AddToCreatesAMissingFileThenAppends)
{
    const QString p = path("grown.tdf");
    ASSERT_TRUE(saveCurveText(ws, p, TdfWriteMode::Append).ok);
    EXPECT_EQ(fileBytes(p), kCapture + "\r\n");
    ws.CurveText = kCapture;
    ASSERT_TRUE(saveCurveText(ws, p, TdfWriteMode::Append).ok);
    EXPECT_EQ(fileBytes(p), kCapture + "\r\n" + kCapture + "\r\n");
    // The grown file reads as one family.
    CurveSet set;
    set.FileName = p;
    ASSERT_TRUE(ReadCurveSet(set));
    EXPECT_EQ(set.Series.size(), 1U);
    EXPECT_EQ(set.Series[0].Points.size(), 4U);
}

TEST_F(TdfWriting, CancelledDialogChangesNothingAndSaysNothing)
{
    const FileResult r = saveCurveText(ws, QString(), TdfWriteMode::Replace);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.error.isEmpty());
    EXPECT_EQ(ws.CurveText, kCapture);
    EXPECT_EQ(ws.TdfFolder, QStringLiteral("/somewhere"));
    EXPECT_TRUE(ws.TdfFile.isEmpty());
}

TEST_F(TdfWriting, EmptyCurveTextIsNoDataToSave)
{
    ws.CurveText.clear();
    const QString p = path("none.tdf");
    const FileResult r = saveCurveText(ws, p, TdfWriteMode::Replace);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, msg::kNoDataToSave);
    EXPECT_FALSE(QFile::exists(p));
}

TEST_F(TdfWriting, FailedWritesLoseNothingAndGiveAReason)
{
    struct Case {
        const char* name;
        TdfWriteMode mode;
        bool inject;      // injected failure, else a path whose parent is a regular file
        bool existing;
    };
    const Case cases[] = {
        {"replace-injected", TdfWriteMode::Replace, true, true},
        {"append-injected", TdfWriteMode::Append, true, true},
        {"append-injected-new", TdfWriteMode::Append, true, false},
        {"replace-bad-folder", TdfWriteMode::Replace, false, false},
        {"append-bad-folder", TdfWriteMode::Append, false, false},
    };
    const std::string old = "1 2 -1 0 100\r\n";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ws.CurveText = kCapture;
        QString p;
        if (c.inject) {
            p = path(c.name);
            if (c.existing)
                putFile(p, old);
            setInjectedWriteFailure(QStringLiteral("disk full"));
        } else {
            const QString blocker = path("blocker");
            putFile(blocker, "x");
            p = blocker + QStringLiteral("/") + QString::fromLatin1(c.name);
        }
        const FileResult r = saveCurveText(ws, p, c.mode);
        setInjectedWriteFailure(QString());
        EXPECT_FALSE(r.ok);
        EXPECT_FALSE(r.error.isEmpty());
        if (c.inject) {
            EXPECT_EQ(r.error, QStringLiteral("disk full"));
        }
        EXPECT_EQ(ws.CurveText, kCapture);
        EXPECT_EQ(ws.TdfFolder, QStringLiteral("/somewhere"));
        EXPECT_EQ(fileBytes(p), c.existing ? old : std::string("<missing>"));
        // No temporary file is left behind.
        EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files).filter(QStringLiteral(".tmp")).size(), 0);
    }
    EXPECT_EQ(msg::writeFailed(QStringLiteral("/x/a.tdf"), QStringLiteral("disk full")),
              QStringLiteral("Cannot write /x/a.tdf: disk full"));
}

TEST_F(TdfWriting, BackgroundIsTheWholeFileUnparsed)
{
    const QString p = path("bg.tdf");
    const std::string content = "weird\n\r\n1 2 3 4 5\r\nno end";
    putFile(p, content);
    EXPECT_TRUE(loadBackgroundFile(ws, p));
    EXPECT_EQ(ws.BackgroundText, content);
    EXPECT_EQ(ws.TdfFolder, m_dir.path());

    ws.TdfFolder = QStringLiteral("/somewhere");
    ws.BackgroundText = "kept";
    EXPECT_FALSE(loadBackgroundFile(ws, path("missing.tdf")));
    EXPECT_EQ(ws.BackgroundText, "kept");
    EXPECT_EQ(ws.TdfFolder, m_dir.path());  // the folder follows the choice even when the open fails

    ws.TdfFolder = QStringLiteral("/somewhere");
    EXPECT_FALSE(loadBackgroundFile(ws, QString()));
    EXPECT_EQ(ws.TdfFolder, QStringLiteral("/somewhere"));
}

TEST_F(TdfWriting, SaveFolderFallsBackToTheProgramFolder)
{
    // The program's folder is known only with an application object.
    static int argc = 1;
    static char name[] = "test_tdf";
    static char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    ws.TdfFolder.clear();
    const QString folder = prepareTdfSaveFolder(ws);
    EXPECT_FALSE(folder.isEmpty());
    EXPECT_EQ(ws.TdfFolder, folder);
    ws.TdfFolder = QStringLiteral("/data");
    EXPECT_EQ(prepareTdfSaveFolder(ws), QStringLiteral("/data"));
}

}  // namespace
}  // namespace zov
