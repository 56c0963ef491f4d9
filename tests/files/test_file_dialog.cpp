// FileDialog driven headless: what the user sees, and what a cancel or an
// accept returns.

#include "files/file_dialog.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace zov {
namespace {

// Runs `act` on the dialog once it is shown.
void whenShown(std::function<void(QFileDialog*)> act)
{
    QTimer::singleShot(0, [act] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        act(dialog);
    });
}

TEST(FileDialog, ShowsTitleFolderAndTheTypedFilter)
{
    QTemporaryDir dir;
    QString title;
    QStringList filters;
    QString selected;
    QString folder;
    whenShown([&](QFileDialog* d) {
        title = d->windowTitle();
        filters = d->nameFilters();
        selected = d->selectedNameFilter();
        folder = d->directory().absolutePath();
        d->reject();
    });
    const QString chosen = FileDialog(nullptr, dir.path(), QStringLiteral("*.tdf"), QStringLiteral("Import TDF data"),
                                      QStringLiteral("Open"));
    EXPECT_TRUE(chosen.isEmpty());  // cancelled
    EXPECT_EQ(title, QStringLiteral("Import TDF data"));
    ASSERT_EQ(filters.size(), 2);
    EXPECT_EQ(filters.at(0), QStringLiteral("Tous fichiers (*.*)"));
    EXPECT_EQ(filters.at(1), QStringLiteral("Fichiers ") + programName() + QStringLiteral(" (*.tdf)"));
    EXPECT_EQ(selected, filters.at(1));
    EXPECT_EQ(folder, QDir(dir.path()).absolutePath());
}

TEST(FileDialog, SaveReturnsThePresetNameInTheFolder)
{
    QTemporaryDir dir;
    bool saveMode = false;
    whenShown([&](QFileDialog* d) {
        saveMode = d->acceptMode() == QFileDialog::AcceptSave;
        static_cast<QDialog*>(d)->accept();  // as the Save button does
    });
    const QString chosen = FileDialog(nullptr, dir.path(), QStringLiteral("project.zov"),
                                      QStringLiteral("Save current project"), QStringLiteral("Save"));
    EXPECT_TRUE(saveMode);
    EXPECT_EQ(chosen, QDir(dir.path()).absoluteFilePath(QStringLiteral("project.zov")));
}

TEST(FileDialog, UnknownActionShowsNothing)
{
    EXPECT_TRUE(FileDialog(nullptr, QString(), QStringLiteral("*.tdf"), QString(), QStringLiteral("Print")).isEmpty());
}

}  // namespace
}  // namespace zov
