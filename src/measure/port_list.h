#pragma once
// The serial ports offered to the user and how their names reach the driver.

#include <QString>
#include <QStringList>

namespace zov {

// "COM1".."COM4" first (the module's traditional ports), then the ports the
// system reports, then the virtual module's device when one runs in-process.
// No name appears twice.
QStringList availablePorts(const QString& virtualModulePath = {});

// "COMn" (any case) -> "/dev/ttyS<n-1>" on Linux and other Unix systems; any
// other name, a device path included, unchanged. On Windows unchanged.
QString resolvePortName(const QString& name);

}  // namespace zov
