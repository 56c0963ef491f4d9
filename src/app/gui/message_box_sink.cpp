#include "app/gui/message_box_sink.h"

#include "app/gui/gui_messages.h"

#include <QMessageBox>

namespace zov::gui {

MessageBoxSink::MessageBoxSink(QWidget* parent)
    : QObject(nullptr)
    , m_parent(parent)
{
}

void MessageBoxSink::showMessage(const QString& text, MessageIcon icon)
{
    m_pending.enqueue({text, icon});
    if (!m_open)
        showNext();
}

void MessageBoxSink::showNext()
{
    if (m_pending.isEmpty())
        return;
    const Pending next = m_pending.dequeue();
    QMessageBox::Icon boxIcon = QMessageBox::NoIcon;
    if (next.icon == MessageIcon::Critical)
        boxIcon = QMessageBox::Critical;
    else if (next.icon == MessageIcon::Question)
        boxIcon = QMessageBox::Question;
    auto* box = new QMessageBox(boxIcon, QString::fromLatin1(kMessageBoxTitle), next.text,
                                QMessageBox::Ok, m_parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    m_open = box;
    // Queued, so the next box opens after this one has been torn down.
    connect(box, &QMessageBox::finished, this, &MessageBoxSink::showNext, Qt::QueuedConnection);
    box->open();
}

}  // namespace zov::gui
