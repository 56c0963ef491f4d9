#pragma once
// Shared set-up of the window tests: a started main window whose message boxes
// are recorded instead of shown, and helpers to find its controls by name.

#include "app/gui/base.h"
#include "app/gui/message_sink.h"

#include <QString>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <ostream>
#include <vector>

namespace zov::gui::testing {

struct RecordedMessage {
    QString text;
    MessageIcon icon;
};

class RecordingMessageSink : public MessageSink {
public:
    explicit RecordingMessageSink(std::shared_ptr<std::vector<RecordedMessage>> log)
        : m_log(std::move(log))
    {
    }
    void showMessage(const QString& text, MessageIcon icon) override { m_log->push_back({text, icon}); }

private:
    std::shared_ptr<std::vector<RecordedMessage>> m_log;
};

// All recorded messages, for failure output.
inline std::string describe(const std::vector<RecordedMessage>& messages)
{
    std::string text;
    for (const RecordedMessage& message : messages)
        text += "[" + message.text.toStdString() + "] ";
    return text;
}

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    template <typename T>
    T* control(const char* name) const
    {
        T* found = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << "no control named " << name;
        return found;
    }
    QString text(const char* name) const;
    void setText(const char* name, const QString& value) const;
    bool enabled(const char* name) const;
    bool visible(const char* name) const;

    std::unique_ptr<Base> window;
    std::shared_ptr<std::vector<RecordedMessage>> messages =
        std::make_shared<std::vector<RecordedMessage>>();
};

}  // namespace zov::gui::testing

// Readable QString values in failure messages.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& value, std::ostream* out)
{
    *out << '"' << value.toStdString() << '"';
}
QT_END_NAMESPACE
