// FileDialog driven headless: what the user sees, and what a cancel or an accept returns.
#include "files/curve_import.h"
#include "files/file_dialog.h"

#include <QApplication>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

namespace zov {
namespace {

// Calls FileDialog and runs `act` on the dialog once it is shown.
template <typename Act>
QString withDialog(const QString& folder, const QString& name, const QString& action, Act act)
{
    QTimer::singleShot(0, [act] { act(qobject_cast<QFileDialog*>(QApplication::activeModalWidget())); });
    return FileDialog(nullptr, folder, name, QStringLiteral("Import TDF data"), action);
}

TEST(FileDialog, TitleFolderFiltersAndCancel)
{
    QTemporaryDir dir;
    QStringList seen;
    const QString chosen = withDialog(dir.path(), "*.tdf", "Open", [&](QFileDialog* d) {
        ASSERT_NE(d, nullptr);
        seen = QStringList{d->windowTitle(), d->directory().absolutePath(), d->selectedNameFilter()} + d->nameFilters();
        d->reject();
    });
    EXPECT_TRUE(chosen.isEmpty());
    const QString typed = QStringLiteral("Fichiers ") + programName() + QStringLiteral(" (*.tdf)");
    EXPECT_EQ(seen, (QStringList{"Import TDF data", QDir(dir.path()).absolutePath(), typed, "Tous fichiers (*.*)", typed}));
}

TEST(FileDialog, CurveFileFiltersOpenOnTheTdfEntry)
{
    QStringList seen;
    QTimer::singleShot(0, [&] {
        auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        seen = QStringList{d->selectedNameFilter()} + d->nameFilters();
        d->reject();
    });
    const DialogFilters filters = curveFileDialogFilters(programName());
    EXPECT_TRUE(FileDialog(nullptr, QString(), "*.tdf", "Import TDF data", "Open", filters).isEmpty());
    EXPECT_EQ(seen, QStringList{filters.filters.at(filters.selected)} + filters.filters);
    EXPECT_EQ(seen.size(), 8);
    EXPECT_EQ(seen.at(1), "Tous fichiers (*.*)");
    EXPECT_TRUE(seen.at(3).contains("*.utd"));
}

TEST(FileDialog, SaveReturnsThePresetNameInTheFolder)
{
    QTemporaryDir dir;
    bool saveMode = false;
    const QString chosen = withDialog(dir.path(), "project.zov", "Save", [&](QFileDialog* d) {
        ASSERT_NE(d, nullptr);
        saveMode = d->acceptMode() == QFileDialog::AcceptSave;
        static_cast<QDialog*>(d)->accept();  // as the Save button does
    });
    EXPECT_TRUE(saveMode);
    EXPECT_EQ(chosen, QDir(dir.path()).absoluteFilePath("project.zov"));
    EXPECT_TRUE(FileDialog(nullptr, QString(), "*.tdf", QString(), "Print").isEmpty());  // unknown action
}

}  // namespace
}  // namespace zov
