#include "instrument/PointJournal.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLocale>

#include <cerrno>
#include <cmath>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tz {

namespace {

constexpr QByteArrayView kHeaderTag = "# TZ360 point journal";
constexpr int kVersion = 1;
constexpr int kFields = 10;

QString systemError(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

QByteArray number(double v) { return QByteArray::number(v, 'g', QLocale::FloatingPointShortest); }

// Writes all of data; false with errno set.
bool writeAll(int fd, const QByteArray& data)
{
    const char* p = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, static_cast<size_t>(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        left -= n;
    }
    return true;
}

bool sameFile(int fd, const QString& path)
{
    struct stat open {}, named {};
    if (::fstat(fd, &open) != 0 || ::stat(QFile::encodeName(path).constData(), &named) != 0)
        return false;
    return open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

// Only characters a person can read from the header's database text.
QString printable(const QString& text)
{
    QString out;
    for (const QChar c : text.left(PointJournal::kMaxDatabaseText))
        out += c.isPrint() ? c : QChar(u'?');
    return out;
}

}  // namespace

int lockJournalFile(const QString& path, QString* why)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CLOEXEC);
        if (fd < 0) {
            if (why)
                *why = systemError(errno);
            return -1;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
            if (why)
                *why = QStringLiteral("in use by a running test");
            return -1;
        }
        if (sameFile(fd, path))
            return fd;
        // The writer removed or replaced the file meanwhile: look again.
        ::close(fd);
    }
    if (why)
        *why = QStringLiteral("the file keeps changing");
    return -1;
}

void syncFolder(const QString& dir)
{
    const int fd = ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

PointJournal::PointJournal(const QString& dir, const QString& fileKey, const QString& databaseText, int testId)
    : dir_(dir), path_(QDir(dir).filePath(fileName(fileKey, testId))), databaseText_(databaseText), testId_(testId)
{
}

PointJournal::~PointJournal() { close(); }

QString PointJournal::fileName(const QString& fileKey, int testId)
{
    QString key;
    for (const QChar c : fileKey)
        key += (c.isLetterOrNumber() && c.unicode() < 128) || c == u'-' || c == u'_' ? c : QChar(u'_');
    return key + QStringLiteral("-test") + QString::number(testId) + QLatin1String(kSuffix);
}

QByteArray PointJournal::headerLine(int testId, const QString& databaseText)
{
    return kHeaderTag.toByteArray() + '\t' + QByteArray::number(kVersion) + '\t' + QByteArray::number(testId) + '\t'
        + printable(databaseText).replace(u'\t', u' ').toUtf8() + '\n';
}

QByteArray PointJournal::pointLine(const RecordedPoint& p)
{
    return QByteArray::number(p.testId) + '\t' + QByteArray::number(p.rampNo) + '\t' + QByteArray::number(p.rampStepNo)
        + '\t' + number(p.resultTime) + '\t' + number(p.sampleTempF) + '\t' + number(p.pressurePsi) + '\t'
        + number(p.shearRate) + '\t' + number(p.shearStress) + '\t' + QByteArray::number(p.resultType) + '\t'
        + number(p.bathTempF) + '\n';
}

std::optional<RecordedPoint> PointJournal::parsePointLine(const QByteArray& line)
{
    const QList<QByteArray> f = line.split('\t');
    if (f.size() != kFields)
        return std::nullopt;
    bool ok = true;
    const auto integer = [&](int i) {
        bool good = false;
        const int v = f[i].toInt(&good);
        ok = ok && good;
        return v;
    };
    const auto real = [&](int i) {
        bool good = false;
        const double v = f[i].toDouble(&good);
        ok = ok && good && std::isfinite(v) && !f[i].isEmpty() && !std::isspace(static_cast<unsigned char>(f[i][0]));
        return v;
    };
    RecordedPoint p;
    p.testId = integer(0);
    p.rampNo = integer(1);
    p.rampStepNo = integer(2);
    p.resultTime = real(3);
    p.sampleTempF = real(4);
    p.pressurePsi = real(5);
    p.shearRate = real(6);
    p.shearStress = real(7);
    p.resultType = integer(8);
    p.bathTempF = real(9);
    if (!ok || p.testId <= 0 || p.rampNo < 0 || p.rampStepNo < 0 || p.resultTime < 0
        || (p.resultType != 0 && p.resultType != 1))
        return std::nullopt;
    return p;
}

JournalContents PointJournal::parse(const QByteArray& bytes)
{
    JournalContents c;
    QList<QByteArray> lines = bytes.split('\n');
    // The piece after the last line break is a torn line (or nothing).
    if (!lines.isEmpty()) {
        c.tornTail = !lines.last().isEmpty();
        lines.removeLast();
    }
    if (lines.isEmpty())
        return c;
    const QList<QByteArray> head = lines.first().split('\t');
    bool idOk = false;
    if (head.size() != 4 || head[0] != kHeaderTag || head[1] != QByteArray::number(kVersion))
        return c;
    c.testId = head[2].toInt(&idOk);
    if (!idOk || c.testId <= 0)
        return c;
    c.valid = true;
    c.database = printable(QString::fromUtf8(head[3]));
    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (lines[i].isEmpty())
            continue;
        const std::optional<RecordedPoint> p = parsePointLine(lines[i]);
        if (p && p->testId == c.testId)
            c.points << *p;
        else
            ++c.badLines;
    }
    return c;
}

bool PointJournal::exists() const { return QFileInfo::exists(path_); }

bool PointJournal::openLocked()
{
    if (fd_ >= 0)
        return true;
    if (!QFileInfo::exists(dir_)) {
        if (!QDir().mkpath(dir_)) {
            error_ = QStringLiteral("cannot create the folder %1").arg(dir_);
            return false;
        }
        syncFolder(QFileInfo(dir_).absolutePath());
    }
    if (!checkedLeftover_) {
        // A journal of the same test and database left by an earlier program
        // (a database made anew hands out its test ids again): moved aside
        // whole, so that confirming this run's points never removes its own.
        const QFileInfo old(path_);
        if (old.exists() && old.size() > 0) {
            const QString aside = path_.chopped(qstrlen(kSuffix)) + QLatin1Char('-')
                + QString::number(QDateTime::currentMSecsSinceEpoch()) + QLatin1String(kSuffix);
            if (::rename(QFile::encodeName(path_).constData(), QFile::encodeName(aside).constData()) != 0) {
                error_ = QStringLiteral("cannot move the earlier journal %1 aside: %2").arg(path_, systemError(errno));
                return false;
            }
            syncFolder(dir_);
        }
        checkedLeftover_ = true;
    }
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int fd = ::open(QFile::encodeName(path_).constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        if (fd < 0) {
            error_ = systemError(errno);
            return false;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            // A replay is reading it; the points wait in memory meanwhile.
            ::close(fd);
            error_ = QStringLiteral("%1 is being replayed by another program").arg(path_);
            return false;
        }
        if (sameFile(fd, path_)) {
            fd_ = fd;
            return true;
        }
        ::close(fd);
    }
    error_ = QStringLiteral("%1 keeps changing").arg(path_);
    return false;
}

bool PointJournal::append(const QList<RecordedPoint>& points)
{
    if (points.isEmpty())
        return true;
    if (!openLocked())
        return false;
    const off_t before = ::lseek(fd_, 0, SEEK_END);
    QByteArray data;
    if (before == 0)
        data = headerLine(testId_, databaseText_);
    for (const RecordedPoint& p : points)
        data += pointLine(p);
    if (!writeAll(fd_, data) || ::fsync(fd_) != 0) {
        error_ = systemError(errno);
        // No half line may stay to run into the next one.
        if (before >= 0 && ::ftruncate(fd_, before) == 0)
            ::fsync(fd_);
        return false;
    }
    if (before == 0)
        syncFolder(dir_);  // the new file's name must survive a power cut too
    error_.clear();
    return true;
}

bool PointJournal::rewrite(const QList<RecordedPoint>& points)
{
    if (points.isEmpty()) {
        if (fd_ >= 0) {
            // Removed while still locked, so no replay can take it half way.
            ::unlink(QFile::encodeName(path_).constData());
            ::close(fd_);
            fd_ = -1;
        }
        error_.clear();
        return true;
    }
    if (!openLocked())
        return false;
    const QString fresh = path_ + QStringLiteral(".new");
    const QByteArray freshName = QFile::encodeName(fresh);
    const int fd = ::open(freshName.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) {
        error_ = systemError(errno);
        return false;
    }
    // Locked before it takes the journal's name, so that it is never open to a replay.
    ::flock(fd, LOCK_EX | LOCK_NB);
    QByteArray data = headerLine(testId_, databaseText_);
    for (const RecordedPoint& p : points)
        data += pointLine(p);
    if (!writeAll(fd, data) || ::fsync(fd) != 0
        || ::rename(freshName.constData(), QFile::encodeName(path_).constData()) != 0) {
        error_ = systemError(errno);
        ::close(fd);
        ::unlink(freshName.constData());
        return false;
    }
    syncFolder(dir_);
    ::close(fd_);
    fd_ = fd;
    error_.clear();
    return true;
}

void PointJournal::close()
{
    if (fd_ < 0)
        return;
    struct stat st {};
    // A journal that never got a point (its first append failed) is no journal.
    if (::fstat(fd_, &st) == 0 && st.st_size == 0)
        ::unlink(QFile::encodeName(path_).constData());
    ::close(fd_);
    fd_ = -1;
}

}  // namespace tz
