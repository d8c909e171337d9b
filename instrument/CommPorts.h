#pragma once
// "Comm k" to a serial device: comports.txt in the working directory holds
// lines "k device"; without an entry, Comm k is /dev/ttyS<k-1> (COMk on Windows).
#include <QString>

namespace tz {

inline const QString kCommPortsFile = QStringLiteral("comports.txt");

QString defaultCommDevice(int comm);

// Device for Comm k, looked up in <dir>/comports.txt.
QString commDevice(int comm, const QString& dir = QString());

// Writes or replaces the entry of Comm k, keeping every other line.
bool setCommDevice(int comm, const QString& device, const QString& dir = QString(),
                   QString* error = nullptr);

// Removes the entry of Comm k when it still names device.
bool removeCommDevice(int comm, const QString& device, const QString& dir = QString());

}  // namespace tz
