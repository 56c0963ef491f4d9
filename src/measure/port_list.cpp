#include "measure/port_list.h"

#include <QSerialPortInfo>

namespace zov {

QString resolvePortName(const QString& name)
{
#ifdef Q_OS_WIN
    return name;
#else
    if (name.size() > 3 && name.startsWith(QLatin1String("COM"), Qt::CaseInsensitive)) {
        bool ok = false;
        const int number = name.mid(3).toInt(&ok);
        if (ok && number >= 1)
            return QStringLiteral("/dev/ttyS") + QString::number(number - 1);
    }
    return name;
#endif
}

QStringList availablePorts(const QString& virtualModulePath)
{
    QStringList ports;
    QStringList devices;  // what each entry opens, to skip duplicates
    const auto add = [&](const QString& name) {
        const QString device = resolvePortName(name);
        if (name.isEmpty() || devices.contains(device) || ports.contains(name))
            return;
        ports << name;
        devices << device;
    };
    for (int i = 1; i <= 4; ++i)
        add(QStringLiteral("COM") + QString::number(i));
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
#ifdef Q_OS_WIN
        add(info.portName());
#else
        add(info.systemLocation());
#endif
    }
    add(virtualModulePath);
    return ports;
}

}  // namespace zov
