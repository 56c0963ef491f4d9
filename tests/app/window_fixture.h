#pragma once
// The main window started offscreen on a virtual module that answers at once,
// with its message boxes recorded, and helpers to reach its controls by name.
// Its program folder is a fresh one holding the shipped default project, so
// every test starts as a first start does, and none reads or writes the
// recently-used file of another.

#include "qt_wait.h"
#include "app/gui/base.h"
#include "app/gui/project_controller.h"
#include "sim/virtual_module.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <ostream>
#include <vector>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& value, std::ostream* out) { *out << '"' << value.toStdString() << '"'; }
inline void PrintTo(const QByteArray& value, std::ostream* out) { *out << '"' << value.toStdString() << '"'; }
QT_END_NAMESPACE

namespace zov::gui::testing {

struct RecordedMessage {
    QString text;
    MessageIcon icon;
};
using MessageLog = std::vector<RecordedMessage>;

struct RecordingMessageSink : MessageSink {
    explicit RecordingMessageSink(MessageLog* log) : log(log) {}
    void showMessage(const QString& text, MessageIcon icon) override { log->push_back({text, icon}); }
    MessageLog* log;
};

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        window = std::make_unique<Base>();
        window->setMessageSink(std::make_unique<RecordingMessageSink>(&messages));
        useProgramFolder(true);
        window->Form_Load();
        startModule();
    }

    template <typename T = QWidget>
    T* control(const char* name) const
    {
        T* found = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << "no control named " << name;
        return found;
    }
    QString text(const char* name) const
    {
        QWidget* w = control(name);
        return w ? w->property(qobject_cast<QComboBox*>(w) ? "currentText" : "text").toString() : QString();
    }
    void setText(const char* name, const QString& value) const
    {
        if (auto* combo = window->findChild<QComboBox*>(QString::fromLatin1(name)))
            combo->setEditText(value);
        else if (auto* box = control<QLineEdit>(name))
            box->setText(value);
    }
    bool enabled(const char* name) const { return control(name) && control(name)->isEnabled(); }
    bool visible(const char* name) const { return control(name) && control(name)->isVisible(); }
    bool idle() const { return window->captureIdle() && enabled("BtSet"); }
    long curveLines() const
    {
        const std::string& text = window->workspace().CurveText;
        return std::count(text.begin(), text.end(), '\n');
    }
    void focus(QWidget* widget) const
    {
        widget->setFocus();
        ZOV_WAIT(widget->hasFocus(), 5000);
    }
    template <typename Action>
    int redraws(Action action) const
    {
        const int before = window->refreshCount();
        action();
        return window->refreshCount() - before;
    }
    QStringList messageTexts() const
    {
        QStringList texts;
        for (const RecordedMessage& message : messages)
            texts << message.text;
        return texts;
    }

    // Short waits: the real module's 1000 ms would make every step 2 s long.
    void startModule(const QString& fault = {}, const QString& tube = QStringLiteral("12AX7"))
    {
        VirtualModuleOptions options;
        options.pacing = false;
        options.fault = fault;
        options.tube = tube;
        module = std::make_unique<VirtualModule>(options);
        QString error;
        ASSERT_TRUE(module->start(&error)) << error.toStdString();
        window->setVirtualModulePath(module->devicePath());
        window->setCaptureWaitMs(100);
    }
    void setSweep(const char* start, const char* stop, const char* pitch, const char* vg2 = "0") const
    {
        setText("TxVg1Start", start);
        setText("TxVg1Stop", stop);
        setText("TxPitchg1", pitch);
        setText("TxVg2", vg2);
    }
    void capture(const char* start, const char* stop, const char* pitch, const char* vg2 = "0")
    {
        setSweep(start, stop, pitch, vg2);
        control<QPushButton>("BtSet")->click();
        ZOV_WAIT(idle(), 20000);
    }

    // A program folder of its own for the window, with or without the
    // shipped default project.
    void useProgramFolder(bool withDefaultProject)
    {
        const QString executable = programFolder.filePath("bin");
        QDir().mkpath(executable);
        QFile::remove(executable + "/DoNotErase.zov");
        if (withDefaultProject)
            QFile::copy(ZOV_SOURCE_DIR "/src/app/gui/DoNotErase.zov", executable + "/DoNotErase.zov");
        window->projectController().setProgramFolders({executable, programFolder.filePath("user")});
    }

    QTemporaryDir programFolder;
    // Declared so that the window goes first: it may still hold the module's port.
    MessageLog messages;
    std::unique_ptr<VirtualModule> module;
    std::unique_ptr<Base> window;
};

}  // namespace zov::gui::testing
