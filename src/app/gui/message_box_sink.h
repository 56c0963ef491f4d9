#pragma once
// The application's MessageSink: one window-modal QMessageBox at a time,
// opened without a nested event loop. Messages that arrive while a box is open
// wait in order and appear when the previous one is closed (a failed exchange
// reports two messages in a row).

#include "app/gui/message_sink.h"

#include <QObject>
#include <QPointer>
#include <QQueue>

class QMessageBox;
class QWidget;

namespace zov::gui {

class MessageBoxSink : public QObject, public MessageSink {
    Q_OBJECT
public:
    explicit MessageBoxSink(QWidget* parent);
    void showMessage(const QString& text, MessageIcon icon) override;

private:
    struct Pending {
        QString text;
        MessageIcon icon;
    };
    void showNext();

    QWidget* m_parent;
    QQueue<Pending> m_pending;
    QPointer<QMessageBox> m_open;
};

}  // namespace zov::gui
