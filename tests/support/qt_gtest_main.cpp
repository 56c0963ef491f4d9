// GoogleTest main for tests that need Qt's event loop or widgets: the
// application object lives for the whole run, so tests can use QSignalSpy::wait,
// timers and widgets.
#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
