#include "files/file_dialog.h"

#include "files/file_dialog_filters.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>

namespace zov {

QString programName()
{
    return QFileInfo(QCoreApplication::applicationFilePath()).baseName();
}

QString FileDialog(QWidget* parent, const QString& initialFolder, const QString& pattern, const QString& title,
                   const QString& action)
{
    return FileDialog(parent, initialFolder, pattern, title, action, fileDialogFilters(pattern, programName()));
}

QString FileDialog(QWidget* parent, const QString& initialFolder, const QString& pattern, const QString& title,
                   const QString& action, const DialogFilters& filters)
{
    const bool save = action.compare(QLatin1String("Save"), Qt::CaseInsensitive) == 0;
    const bool open = action.compare(QLatin1String("Open"), Qt::CaseInsensitive) == 0;
    if (!save && !open)
        return {};
    QFileDialog dialog(parent, title, initialFolder);
    dialog.setNameFilters(filters.filters);
    dialog.selectNameFilter(filters.filters.at(filters.selected));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setOption(QFileDialog::ReadOnly, false);
    const bool wildcard = pattern.contains(QLatin1Char('*')) || pattern.contains(QLatin1Char('?'));
    if (!pattern.isEmpty() && !wildcard)
        dialog.selectFile(pattern);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    const QStringList chosen = dialog.selectedFiles();
    return chosen.isEmpty() ? QString() : chosen.first();
}

}  // namespace zov
