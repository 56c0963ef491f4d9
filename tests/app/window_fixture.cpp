#include "window_fixture.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace zov::gui::testing {

void WindowTest::SetUp()
{
    window = std::make_unique<Base>();
    window->setMessageSink(std::make_unique<RecordingMessageSink>(messages));
    window->Form_Load();
}

void WindowTest::TearDown()
{
    window.reset();
}

QString WindowTest::text(const char* name) const
{
    const QString objectName = QString::fromLatin1(name);
    if (auto* label = window->findChild<QLabel*>(objectName))
        return label->text();
    if (auto* box = window->findChild<QLineEdit*>(objectName))
        return box->text();
    if (auto* combo = window->findChild<QComboBox*>(objectName))
        return combo->currentText();
    if (auto* button = window->findChild<QAbstractButton*>(objectName))
        return button->text();
    ADD_FAILURE() << "no text control named " << name;
    return {};
}

void WindowTest::setText(const char* name, const QString& value) const
{
    const QString objectName = QString::fromLatin1(name);
    if (auto* box = window->findChild<QLineEdit*>(objectName)) {
        box->setText(value);
        return;
    }
    if (auto* combo = window->findChild<QComboBox*>(objectName)) {
        combo->setEditText(value);
        return;
    }
    ADD_FAILURE() << "no editable control named " << name;
}

bool WindowTest::enabled(const char* name) const
{
    auto* widget = window->findChild<QWidget*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << "no control named " << name;
    return widget != nullptr && widget->isEnabled();
}

bool WindowTest::visible(const char* name) const
{
    auto* widget = window->findChild<QWidget*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << "no control named " << name;
    return widget != nullptr && widget->isVisible();
}

}  // namespace zov::gui::testing
