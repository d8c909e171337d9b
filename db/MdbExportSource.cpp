#include "db/MdbExportSource.h"

#include "db/DbError.h"

#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>

namespace tz {
namespace {

constexpr qsizetype kMaxField = 1 << 20;    // a Jet memo is far smaller; anything bigger is not this format
constexpr qsizetype kMaxFields = 256;       // Jet allows 255 columns
constexpr int kSilenceMs = 120000;          // a 2 GB file's pages are read in far less per chunk
constexpr qsizetype kMaxStderr = 8192;
const QByteArray kNull = "NULL";

// mdbtools' own conversion of Jet texts to UTF-8, and a C locale for its
// numbers, whatever the operator's shell has set.
QProcessEnvironment toolEnvironment()
{
    const QProcessEnvironment system = QProcessEnvironment::systemEnvironment();
    QProcessEnvironment env;
    for (const char* keep : {"PATH", "HOME", "TMPDIR"})
        if (system.contains(QLatin1String(keep)))
            env.insert(QLatin1String(keep), system.value(QLatin1String(keep)));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    env.insert(QStringLiteral("MDBICONV"), QStringLiteral("UTF-8"));
    // Jet 3 files carry texts in the Windows code page of the old
    // workstation; Western European unless the operator says otherwise.
    env.insert(QStringLiteral("MDB_JET3_CHARSET"), system.value(QStringLiteral("MDB_JET3_CHARSET"), QStringLiteral("CP1252")));
    return env;
}

QString errorText(QProcess& process, const QByteArray& stderrText)
{
    QString text = QString::fromUtf8(stderrText).simplified();
    if (text.isEmpty())
        text = process.exitStatus() == QProcess::CrashExit ? QStringLiteral("crashed")
                                                            : QStringLiteral("exit status %1").arg(process.exitCode());
    return text;
}

}  // namespace

QStringList mdbExportOptions()
{
    return {QStringLiteral("-D"), QStringLiteral("%Y-%m-%d %H:%M:%S"),
            QStringLiteral("-T"), QStringLiteral("%Y-%m-%d %H:%M:%S"),
            QStringLiteral("-0"), QString::fromLatin1(kNull),
            QStringLiteral("-q"), QStringLiteral("\""),
            QStringLiteral("-X"), QStringLiteral("\""),
            QStringLiteral("-d"), QStringLiteral(","),
            QStringLiteral("-R"), QStringLiteral("\n"),
            QStringLiteral("-b"), QStringLiteral("strip")};
}

void MdbCsvReader::feed(const QByteArray& bytes)
{
    for (const char c : bytes) {
        switch (m_state) {
        case State::FieldStart:
            if (c == '"') {
                m_quoted = true;
                m_state = State::Quoted;
                continue;
            }
            m_state = State::Unquoted;
            [[fallthrough]];
        case State::Unquoted:
            if (c == ',') {
                endField();
            } else if (c == '\n') {
                endField();
                endRecord();
            } else if (c != '\r') {
                m_field += c;
            }
            break;
        case State::Quoted:
            if (c == '"')
                m_state = State::QuoteInQuoted;
            else
                m_field += c;
            break;
        case State::QuoteInQuoted:
            if (c == '"') {
                m_field += '"';
                m_state = State::Quoted;
            } else if (c == ',') {
                endField();
            } else if (c == '\n') {
                endField();
                endRecord();
            } else if (c != '\r') {
                throw DbError(QStringLiteral("mdb-export output line %1: text after a closing quote").arg(m_line));
            }
            break;
        }
        if (c == '\n')
            ++m_line;
        if (m_field.size() > kMaxField)
            throw DbError(QStringLiteral("mdb-export output line %1: a field longer than %2 bytes").arg(m_line).arg(kMaxField));
    }
}

void MdbCsvReader::finish()
{
    if (m_state == State::Quoted)
        throw DbError(QStringLiteral("mdb-export output ends inside a quoted text"));
    if (m_state != State::FieldStart || !m_record.isEmpty()) {
        endField();
        endRecord();
    }
}

void MdbCsvReader::endField()
{
    LegacyField field;
    field.isNull = !m_quoted && (m_field.isEmpty() || m_field == kNull);
    // An empty text is not NULL: it must stay non-null for the database.
    if (!field.isNull)
        field.text = m_field.isEmpty() ? QString(QLatin1String("")) : QString::fromUtf8(m_field);
    m_record << field;
    if (m_record.size() > kMaxFields)
        throw DbError(QStringLiteral("mdb-export output line %1: more than %2 fields").arg(m_line).arg(kMaxFields));
    m_field.clear();
    m_quoted = false;
    m_state = State::FieldStart;
}

void MdbCsvReader::endRecord()
{
    // A blank line is no row.
    const bool blank = m_record.size() == 1 && m_record.front().isNull;
    if (!blank)
        m_onRecord(m_record);
    m_record.clear();
}

MdbExportSource::MdbExportSource(QString file, QString toolDir)
    : m_file(std::move(file)), m_toolDir(std::move(toolDir))
{
}

QString MdbExportSource::tool(const char* name) const
{
    const QString program = m_toolDir.isEmpty()
        ? QStandardPaths::findExecutable(QLatin1String(name))
        : QStandardPaths::findExecutable(QLatin1String(name), {m_toolDir});
    if (program.isEmpty())
        throw DbError(QStringLiteral("%1 not found: install the Debian package mdbtools (scripts/install-deps.sh)")
                          .arg(QLatin1String(name)));
    return program;
}

QStringList MdbExportSource::tables()
{
    if (!QFileInfo(m_file).isReadable())
        throw DbError(QStringLiteral("cannot read %1").arg(m_file));
    QProcess process;
    process.setProcessEnvironment(toolEnvironment());
    process.start(tool("mdb-tables"), {QStringLiteral("-1"), m_file});
    if (!process.waitForStarted() || !process.waitForFinished(kSilenceMs)) {
        process.kill();
        throw DbError(QStringLiteral("mdb-tables did not answer for %1").arg(m_file));
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        throw DbError(QStringLiteral("%1 is not a Jet database (mdb-tables: %2)")
                          .arg(m_file, errorText(process, process.readAllStandardError().left(kMaxStderr))));
    QStringList names;
    for (const QByteArray& line : process.readAllStandardOutput().split('\n'))
        if (!line.trimmed().isEmpty())
            names << QString::fromUtf8(line.trimmed());
    return names;
}

void MdbExportSource::readTable(const QString& table, const std::function<void(const LegacyRecord&)>& onRecord)
{
    QProcess process;
    process.setProcessEnvironment(toolEnvironment());
    process.start(tool("mdb-export"), mdbExportOptions() << m_file << table);
    if (!process.waitForStarted())
        throw DbError(QStringLiteral("mdb-export cannot be started: %1").arg(process.errorString()));
    // The output is taken piece by piece as it comes: a table of millions of
    // points never sits in memory whole.
    MdbCsvReader reader(onRecord);
    QByteArray stderrText;
    for (;;) {
        reader.feed(process.readAllStandardOutput());
        stderrText += process.readAllStandardError();
        stderrText = stderrText.left(kMaxStderr);
        if (process.state() == QProcess::NotRunning)
            break;
        if (!process.waitForReadyRead(kSilenceMs) && process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished();
            throw DbError(QStringLiteral("mdb-export gave no output for %1 s reading %2").arg(kSilenceMs / 1000).arg(table));
        }
    }
    reader.feed(process.readAllStandardOutput());
    stderrText += process.readAllStandardError();
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        throw DbError(QStringLiteral("mdb-export failed on %1: %2").arg(table, errorText(process, stderrText.left(kMaxStderr))));
    reader.finish();
}

}  // namespace tz
