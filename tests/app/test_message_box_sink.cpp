// The application's message boxes: opened without blocking the caller, one at
// a time, in the order the messages came.

#include "app/gui/message_box_sink.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace zov::gui {
namespace {

QList<QMessageBox*> openBoxes(const QWidget& parent)
{
    QList<QMessageBox*> boxes;
    for (QMessageBox* box : parent.findChildren<QMessageBox*>()) {
        if (box->isVisible())
            boxes << box;
    }
    return boxes;
}

TEST(MessageBoxSink, ShowsMessagesOneAfterTheOtherWithoutBlocking)
{
    QWidget parent;
    parent.show();
    MessageBoxSink sink(&parent);

    // Both calls return at once: no nested event loop holds the caller.
    sink.showMessage("first", MessageIcon::None);
    sink.showMessage("second", MessageIcon::Critical);

    QTRY_COMPARE(openBoxes(parent).size(), 1);
    QMessageBox* first = openBoxes(parent).front();
    EXPECT_EQ(first->text(), "first");
    EXPECT_EQ(first->icon(), QMessageBox::NoIcon);
    EXPECT_EQ(first->standardButtons(), QMessageBox::Ok);
    EXPECT_EQ(first->windowModality(), Qt::WindowModal);
    first->button(QMessageBox::Ok)->click();

    QTRY_VERIFY(openBoxes(parent).size() == 1 && openBoxes(parent).front()->text() == "second");
    QMessageBox* second = openBoxes(parent).front();
    EXPECT_EQ(second->icon(), QMessageBox::Critical);
    second->button(QMessageBox::Ok)->click();
    QTRY_VERIFY(openBoxes(parent).isEmpty());
}

}  // namespace
}  // namespace zov::gui
