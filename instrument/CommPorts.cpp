#include "instrument/CommPorts.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStringList>
#include <QTextStream>

namespace tz {

namespace {

QString filePath(const QString& dir) {
    return QDir(dir.isEmpty() ? QDir::currentPath() : dir).filePath(kCommPortsFile);
}

QStringList readLines(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) return {};
    return QString::fromUtf8(f.readAll()).split(u'\n');
}

// "k device": the number, blanks, then the device (which may hold blanks).
bool parseLine(const QString& line, int& comm, QString& device) {
    const QString t = line.trimmed();
    if (t.isEmpty() || t.startsWith(u'#')) return false;
    const qsizetype gap = t.indexOf(QRegularExpression(QStringLiteral("\\s")));
    if (gap < 0) return false;
    bool ok = false;
    comm = t.left(gap).toInt(&ok);
    device = t.mid(gap).trimmed();
    return ok && !device.isEmpty();
}

bool writeLines(const QString& path, const QStringList& lines, QString* error) {
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Text)) {
        if (error) *error = f.errorString();
        return false;
    }
    for (const QString& l : lines) f.write((l + u'\n').toUtf8());
    if (!f.commit()) {
        if (error) *error = f.errorString();
        return false;
    }
    return true;
}

}  // namespace

QString defaultCommDevice(int comm) {
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(comm);
#else
    return QStringLiteral("/dev/ttyS%1").arg(comm - 1);
#endif
}

QString commDevice(int comm, const QString& dir) {
    for (const QString& line : readLines(filePath(dir))) {
        int k;
        QString device;
        if (parseLine(line, k, device) && k == comm) return device;
    }
    return defaultCommDevice(comm);
}

bool setCommDevice(int comm, const QString& device, const QString& dir, QString* error) {
    const QString path = filePath(dir);
    QStringList kept;
    for (const QString& line : readLines(path)) {
        int k;
        QString d;
        if (parseLine(line, k, d) && k == comm) continue;
        if (!line.trimmed().isEmpty()) kept << line;
    }
    kept << QStringLiteral("%1 %2").arg(comm).arg(device);
    return writeLines(path, kept, error);
}

bool removeCommDevice(int comm, const QString& device, const QString& dir) {
    const QString path = filePath(dir);
    QStringList kept;
    bool removed = false;
    for (const QString& line : readLines(path)) {
        int k;
        QString d;
        if (parseLine(line, k, d) && k == comm && d == device) {
            removed = true;
            continue;
        }
        if (!line.trimmed().isEmpty()) kept << line;
    }
    return removed && writeLines(path, kept, nullptr);
}

}  // namespace tz
