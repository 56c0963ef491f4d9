#include <QApplication>
#include <QLabel>

#include "zov_version.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QLabel label(QStringLiteral("Kestrava Zovograph V" ZOV_VERSION_STRING));
    label.show();
    return app.exec();
}
