#pragma once
// What every table class shares: the binding to the one connection, the
// statements prepared once, the in-memory copy of the rows the last query
// returned, and navigation through that copy without going back to the file.
//
// Conventions for all record classes:
// - Database operations (ConnectX, GetTestDetail/GetSeqDetail, AddNew, Update,
//   Delete, SaveAs) throw tz::DbError on any provider error, and also when
//   called before ConnectX.
// - Navigation and column properties never touch the file. Loading a row
//   throws DbError "Type mismatch" (13) only when a stored value cannot be
//   read as its column's type (text in a numeric column). Navigation on an empty snapshot loads nothing; MoveNext on the last row
//   sets Eof() and keeps the last row's values; MoveFirst clears Eof() when
//   there is a row and sets it when there is none.
// - Every new query starts the row index again at 0.
// - `Eof()` is the EOF flag (EOF itself is a macro of <cstdio>).
#include "db/DbError.h"

#include <QDateTime>
#include <QList>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <initializer_list>

class clsConnection;

namespace tz {

// The exact "p" + column names of one statement's "?" marks, in mark order.
using ParamNames = std::initializer_list<const char*>;

class RecordSet {
public:
    virtual ~RecordSet();
    RecordSet(const RecordSet&) = delete;
    RecordSet& operator=(const RecordSet&) = delete;

    bool Eof() const { return m_eof; }
    // The last executed query's own state: it was fully fetched, so it sits
    // before its first row only when it returned none. True before any query.
    bool BOF() const { return m_recordsetRows == 0; }
    bool IsEmpty() const { return m_recordsetRows == 0; }
    bool isConnected() const { return m_connection != nullptr; }

    void MoveFirst();
    void MoveLast();
    void MoveNext();
    void MovePrevious();
    void MoveRel(int offset);

    virtual void SetDefaults() = 0;
    // The row array: one element per selected column in select order.
    virtual QVariantList All() const = 0;
    // Sets each column from the matching element, converted to the column's
    // type. Throws DbError for a short array, a NULL or an unconvertible value.
    void setAll(const QVariantList& values);

    // The key the database gave the row of the last AddNew or SaveAs of this
    // object (0 before any): the new test's or sequence's id, taken from the
    // insert itself, never looked up by name.
    double lastInsertId() const { return m_lastInsertId; }

    // Rows in the snapshot; row index of the values last loaded.
    int rowCount() const { return static_cast<int>(m_rows.size()); }
    int rowIndex() const { return m_row; }

    // A stored date as the record classes read it: a date-time from the lab
    // server, ISO text from the file. Invalid when the value is none of these.
    static QDateTime storedDate(const QVariant& value);

protected:
    // columns: the table's columns in select order (names as in the SELECT).
    RecordSet(const char* className, QStringList columns);

    // Binds to the connection (throws when it is not open) and, on the first
    // ConnectX or a different connection, runs prepareStatements; a repeated
    // ConnectX on the same connection reuses the prepared statements. If a
    // statement cannot be prepared the object stays unbound. After the
    // connection to a server was lost and opened again, the statements are
    // prepared again before the next operation.
    void bindConnection(clsConnection& connection, const std::function<void()>& prepareStatements);
    // Throws unless bound; reconnects a lost server connection first.
    void requireConnection(const char* operation);
    // Prepares sql as this connection's engine needs it (db/SqlDialect.h).
    QSqlQuery prepare(const char* sql) const;
    // An insert that reports the new row's key (the first column).
    QSqlQuery prepareInsert(const char* sql) const;

    // Binds values in mark order and executes; throws DbError on failure.
    // Returns the number of rows the statement changed.
    int execute(QSqlQuery& query, ParamNames names, const QVariantList& values);
    // Executes an insert of prepareInsert and keeps the key it reports.
    void executeInsert(QSqlQuery& insert, ParamNames names, const QVariantList& values);
    // Executes a select and copies every row into the snapshot.
    void query(QSqlQuery& select, ParamNames names, const QVariantList& values);
    // Runs a select again only for the recordset's own state (BOF, IsEmpty);
    // the snapshot and the row count stay as they were.
    void requery(QSqlQuery& select, ParamNames names, const QVariantList& values);
    // After query(): row 0 into the columns, or defaults when nothing came back.
    void loadFirstOrDefaults();
    // The snapshot as a [column][row] table: one list per selected column,
    // present even when there are no rows.
    QList<QVariantList> snapshotByColumn() const;

    // Stores a non-NULL value into column c (index in select order).
    virtual void assign(int column, const QVariant& value) = 0;
    // A NULL in column c: the column keeps its default unless the class
    // says that NULL means something of its own (a start time never taken).
    virtual void assignNull(int /*column*/) {}

    // Conversions to a column's type; throw DbError "Type mismatch" (13).
    static double toNumber(const QVariant& value);
    static QString toText(const QVariant& value);
    static QDateTime toDate(const QVariant& value);
    // Rounds to the nearest integer, halves to the even neighbour; throws
    // DbError "Overflow" (6) outside the 32-bit range.
    static int roundToInt(double value);
    // A date parameter: an invalid date is sent as NULL, never as empty text.
    static QVariant dateParam(const QDateTime& value);

    const char* className() const { return m_className; }

private:
    void loadRow(int index);
    void prepareIfNeeded();
    [[noreturn]] void fail(QSqlQuery& query);

    const char* m_className;
    QStringList m_columns;
    clsConnection* m_connection = nullptr;
    std::function<void()> m_prepareStatements;
    quint64 m_preparedGeneration = 0;
    double m_lastInsertId = 0;
    QStringList m_snapshotFields;     // field names of the snapshot's query
    QList<QVariantList> m_rows;       // [row][field]
    int m_row = 0;
    bool m_eof = false;
    qsizetype m_recordsetRows = 0;
};

}  // namespace tz
