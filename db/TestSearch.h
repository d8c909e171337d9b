#pragma once
// Finding stored tests by conditions on their information and on their
// additives. The operator picks a column and an operator from lists and types
// a value; the value is always bound as a parameter, never pasted into the
// statement, so an apostrophe in a fluid name works and nothing typed can
// change what the statement does.
#include <QDateTime>
#include <QLocale>
#include <QSqlDatabase>
#include <QStringList>
#include <QVariantList>

#include <array>
#include <stdexcept>

namespace tz {

// The operators in the order the lists show them (blanks included).
QStringList searchOperators();

// One criteria row: list positions of the column and the operator, and the
// value as typed. A row counts only when its trimmed value is not empty.
struct SearchRow {
    int column = 0;
    int op = 0;
    QString value;
};

using SearchRows = std::array<SearchRow, 3>;

// The column lists: TEST_INFO's and TEST_ADDITIVE's columns in the tables'
// own order, as "select * from ..." returns them.
struct SearchColumns {
    QStringList test;
    QStringList additive;
};

// Throws tz::DbError when either table cannot be read.
SearchColumns searchColumns(const QSqlDatabase& db);

struct SearchStatement {
    QString sql;          // "?" where each value goes
    QVariantList values;  // in "?" order
};

// A value that does not fit its column (text in a numeric column, a date not
// in the operator's short date form) or a column not in the list.
class SearchError : public std::runtime_error {
public:
    explicit SearchError(const QString& cause)
        : std::runtime_error(cause.toStdString()), m_cause(cause) {}
    QString cause() const { return m_cause; }

private:
    QString m_cause;
};

// The statement for the three test rows and the three additive rows. The
// first row of each group decides whether that group takes part at all.
// Texts compare without regard to letter case under every operator. A start
// time condition compares with the date as typed: "=" (and Like with a whole
// date) finds that calendar day, "<>" every other time, "<" and ">=" the
// day's start, ">" and "<=" its end; a typed time narrows the day to that
// minute.
// Numbers are read in the locale's form or with a point; dates in the
// locale's short date form, with or without a time. Throws SearchError.
SearchStatement buildSearchStatement(const SearchColumns& columns, const SearchRows& tests,
                                     const SearchRows& additives,
                                     const QLocale& locale = QLocale());

// The date a value means in the locale's short date form (a two- or
// four-digit year, optionally a time); invalid when it is not one.
QDateTime parseShortDate(const QString& text, const QLocale& locale = QLocale());

struct SearchResult {
    QStringList headings;          // TEST_NAME, RESEARCHER_NAME, TEST_TIME, FLUID_ID, DESCRIPTION
    QList<int> testIds;            // one per row, not shown
    QList<QStringList> rows;       // five texts per test, newest test first
};

// Runs the statement. Start times are shown in the locale's short form.
// Throws tz::DbError.
SearchResult runSearch(const QSqlDatabase& db, const SearchStatement& statement,
                       const QLocale& locale = QLocale());

}  // namespace tz
