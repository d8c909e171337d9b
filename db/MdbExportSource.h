#pragma once
// Reading a Jet (.mdb) file through mdbtools' mdb-tables and mdb-export,
// run with fixed options so their output never depends on the locale.
#include "db/LegacyImport.h"

#include <QByteArray>
#include <QStringList>

namespace tz {

// The options mdb-export runs with: ISO date-times to the second for both
// date formats, "NULL" unquoted for a NULL, texts in double quotes with a
// quote doubled, comma between fields, line feed after each row, binary
// fields left out. The test fixtures are written in exactly this format.
QStringList mdbExportOptions();

// An RFC 4180 reader for that format fed in pieces as they arrive; a quoted
// field may span lines. Texts are decoded from UTF-8.
class MdbCsvReader {
public:
    explicit MdbCsvReader(std::function<void(const LegacyRecord&)> onRecord) : m_onRecord(std::move(onRecord)) {}
    void feed(const QByteArray& bytes);   // throws tz::DbError on malformed input
    void finish();                        // the end of the output

private:
    void endField();
    void endRecord();

    enum class State { FieldStart, Unquoted, Quoted, QuoteInQuoted };
    std::function<void(const LegacyRecord&)> m_onRecord;
    State m_state = State::FieldStart;
    QByteArray m_field;
    bool m_quoted = false;
    LegacyRecord m_record;
    qint64 m_line = 1;
};

class MdbExportSource : public LegacyTableSource {
public:
    // toolDir: where mdb-tables and mdb-export are; empty: found on PATH.
    explicit MdbExportSource(QString file, QString toolDir = QString());
    QString description() const override { return m_file; }
    QStringList tables() override;
    void readTable(const QString& table, const std::function<void(const LegacyRecord&)>& onRecord) override;

private:
    QString tool(const char* name) const;
    QString m_file;
    QString m_toolDir;
};

}  // namespace tz
