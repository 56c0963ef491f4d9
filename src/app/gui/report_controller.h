#pragma once
// The report controller: the printed report of the plot ("Print ..." in the
// frame "Capture"). It owns the choice of printer and the report's page; the
// picture itself comes from the same scene composition as the screen, taken
// from const inputs, so printing never changes what the window shows or the
// Workspace.
//
// Seam for the report issue: BtDirectPrint_Click is connected to the
// button; it is to print the picture and the report's texts on the default
// printer, reporting failures through `message`.

#include "app/gui/message_sink.h"

#include <QObject>
#include <QString>

namespace zov {
struct Workspace;
}

namespace zov::gui {

class ReportController : public QObject {
    Q_OBJECT
public:
    explicit ReportController(const Workspace& ws, QObject* parent = nullptr);

public slots:
    void BtDirectPrint_Click();

signals:
    void message(const QString& text, zov::gui::MessageIcon icon);

private:
    const Workspace& m_ws;
};

}  // namespace zov::gui
