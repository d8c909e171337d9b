#include "db/TestSearch.h"

#include "db/DbError.h"

#include <QSqlError>
#include "db/SqlDialect.h"

#include <QSqlQuery>
#include <QSqlRecord>

namespace tz {

namespace {

const QString kBase = QStringLiteral(
    "select test_info.TEST_ID, test_info.TEST_NAME,test_info.RESEARCHER_NAME,"
    "test_info.TEST_TIME,test_info.FLUID_ID,test_info.SAFETY AS DESCRIPTION from test_info   ");
const QString kAdditivePart = QStringLiteral("select test_id from test_additive where  ");
const QString kOrder = QStringLiteral(" order by test_info.TEST_id desc");

enum class Kind { Text, Number, Date };

// List positions of the numeric columns and of the start time. Position 12 is
// a thirteenth TEST_INFO column that some lab databases carry.
Kind testColumnKind(int position)
{
    switch (position) {
    case 0: case 7: case 8: case 9: case 10: case 12: return Kind::Number;
    case 3: return Kind::Date;
    default: return Kind::Text;
    }
}

Kind additiveColumnKind(int position)
{
    return (position == 0 || position == 1 || position == 3) ? Kind::Number : Kind::Text;
}

QStringList fieldNames(const QSqlDatabase& db, const QString& statement)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(statement))
        throw DbError(query.lastError());
    const QSqlRecord record = query.record();
    QStringList names;
    for (int i = 0; i < record.count(); ++i)
        names << record.fieldName(i).toUpper();
    return names;
}

double parseNumber(const QString& text, const QString& column, const QLocale& locale)
{
    bool ok = false;
    QLocale strict = locale;
    strict.setNumberOptions(QLocale::RejectGroupSeparator);
    double v = strict.toDouble(text, &ok);
    if (!ok)
        v = QLocale::c().toDouble(text, &ok);
    if (!ok)
        throw SearchError(QStringLiteral("Data type mismatch in criteria expression: \"%1\" is not a number for %2.")
                              .arg(text, column));
    return v;
}

// A date as the operator typed it and the stretch of time it names: the
// whole calendar day when no time was typed, else that minute (or second).
struct DateSpan {
    QDateTime start;
    QDateTime end;   // first moment after the span
};

// Empty (invalid start) when the text is not a date in the locale's short form.
DateSpan parseDateSpan(const QString& text, const QLocale& locale)
{
    const QString value = text.trimmed();
    if (value.isEmpty())
        return {};
    const QString shortDate = locale.dateFormat(QLocale::ShortFormat);
    QStringList dateFormats;
    if (!shortDate.contains(QLatin1String("yyyy"))) {
        QString fourDigit = shortDate;
        fourDigit.replace(QLatin1String("yy"), QLatin1String("yyyy"));
        dateFormats << fourDigit;
    }
    dateFormats << shortDate;
    const QStringList timeFormats = {QString(),
                                     locale.timeFormat(QLocale::ShortFormat),
                                     locale.timeFormat(QLocale::LongFormat),
                                     QStringLiteral("H:mm"),
                                     QStringLiteral("H:mm:ss")};
    for (const QString& dateFormat : dateFormats) {
        for (const QString& timeFormat : timeFormats) {
            const QString format =
                timeFormat.isEmpty() ? dateFormat : dateFormat + QLatin1Char(' ') + timeFormat;
            QDateTime date = locale.toDateTime(value, format);
            if (!date.isValid())
                continue;
            // Two-digit years fall in 1930 to 2029, as the lab's desktop reads them.
            const bool twoDigitYear = !format.contains(QLatin1String("yyyy"));
            if (twoDigitYear && date.date().year() < 1930)
                date = date.addYears(100);
            if (timeFormat.isEmpty())
                return {date, date.addDays(1)};
            return {date, date.addSecs(timeFormat.contains(QLatin1String("ss")) ? 1 : 60)};
        }
    }
    return {};
}

// A start-time condition. The operator means the date as typed, not a
// moment of it: "=" finds every test of that day (stored times carry
// seconds and milliseconds), "<" is before the day began, ">" after it ended.
QString dateCondition(const QString& column, const QString& op, const DateSpan& span, QVariantList& values)
{
    const QString o = op.trimmed();
    if (o == QLatin1String("<") || o == QLatin1String(">=")) {
        values << QVariant(span.start);
        return column + op + QStringLiteral("?");
    }
    if (o == QLatin1String("<=")) {
        values << QVariant(span.end);
        return column + QStringLiteral(" < ?");
    }
    if (o == QLatin1String(">")) {
        values << QVariant(span.end);
        return column + QStringLiteral(" >= ?");
    }
    values << QVariant(span.start) << QVariant(span.end);
    if (o == QLatin1String("<>"))
        return QStringLiteral("(%1 < ? or %1 >= ?)").arg(column);
    return QStringLiteral("(%1 >= ? and %1 < ?)").arg(column);   // "=" and Like
}

// One condition: the column, the operator with its blanks, and a mark.
QString condition(const QStringList& columnList, Kind (*kindOf)(int), const SearchRow& row,
                  const QLocale& locale, QVariantList& values)
{
    const QStringList ops = searchOperators();
    if (row.column < 0 || row.column >= columnList.size())
        throw SearchError(QStringLiteral("No column is chosen."));
    if (row.op < 0 || row.op >= ops.size())
        throw SearchError(QStringLiteral("No operator is chosen."));
    const QString column = columnList[row.column].trimmed();
    const QString op = ops[row.op];
    const QString value = row.value.trimmed();
    const Kind kind = kindOf(row.column);

    if (kind == Kind::Date) {
        const DateSpan span = parseDateSpan(value, locale);
        if (span.start.isValid())
            return dateCondition(column, op, span, values);
        // Like with part of a date ("2011") matches the stored text.
        if (op.trimmed() != QLatin1String("Like"))
            throw SearchError(QStringLiteral("\"%1\" is not a date in the form %2.")
                                  .arg(value, locale.dateFormat(QLocale::ShortFormat)));
    }
    if (op.trimmed() == QLatin1String("Like")) {
        values << QVariant(QStringLiteral("%") + value + QStringLiteral("%"));
        // Numbers and times are matched on their stored text; the cast says
        // so to a server that would not compare them with a pattern itself.
        if (kind == Kind::Text)
            return column + op + QStringLiteral("?");
        return QStringLiteral("CAST(%1 AS VARCHAR(1000))").arg(column) + op + QStringLiteral("?");
    }
    switch (kind) {
    case Kind::Number:
        values << QVariant(parseNumber(value, column, locale));
        break;
    case Kind::Date:
        break;  // taken above
    case Kind::Text:
        // Names are compared without regard to letter case, as Like is:
        // "p" finds the test named "P" on either database.
        values << QVariant(value);
        return QStringLiteral("UPPER(%1)").arg(column) + op + QStringLiteral("UPPER(?)");
    }
    return column + op + QStringLiteral("?");
}

// The conditions of one group joined with " and "; empty when its first row
// is empty (the later rows then do not count either).
QString group(const QStringList& columnList, Kind (*kindOf)(int), const SearchRows& rows,
              const QLocale& locale, QVariantList& values)
{
    if (rows[0].value.trimmed().isEmpty())
        return {};
    QString text = condition(columnList, kindOf, rows[0], locale, values);
    for (std::size_t k = 1; k < rows.size(); ++k)
        if (!rows[k].value.trimmed().isEmpty())
            text += QStringLiteral(" and ") + condition(columnList, kindOf, rows[k], locale, values);
    return text;
}

}  // namespace

QStringList searchOperators()
{
    return {QStringLiteral(" > "),  QStringLiteral(" >= "), QStringLiteral(" < "),
            QStringLiteral(" <= "), QStringLiteral(" = "),  QStringLiteral(" <> "),
            QStringLiteral(" Like ")};
}

SearchColumns searchColumns(const QSqlDatabase& db)
{
    return {fieldNames(db, QStringLiteral("select * from test_info")),
            fieldNames(db, QStringLiteral("select * from test_additive"))};
}

QDateTime parseShortDate(const QString& text, const QLocale& locale)
{
    return parseDateSpan(text, locale).start;
}

SearchStatement buildSearchStatement(const SearchColumns& columns, const SearchRows& tests,
                                     const SearchRows& additives, const QLocale& locale)
{
    SearchStatement statement;
    const QString testConditions = group(columns.test, testColumnKind, tests, locale, statement.values);
    const QString additiveConditions =
        group(columns.additive, additiveColumnKind, additives, locale, statement.values);

    const QString testPart =
        testConditions.isEmpty() ? kBase : kBase + QStringLiteral(" where  ") + testConditions;
    if (additiveConditions.isEmpty()) {
        statement.sql = testPart + kOrder;
    } else {
        const QString additivePart = kAdditivePart + additiveConditions;
        // A first test box holding only blanks counts as empty: its group
        // has no "where" to extend.
        statement.sql = testConditions.isEmpty()
            ? kBase + QStringLiteral(" where test_id in (") + additivePart + QStringLiteral(")") + kOrder
            : testPart + QStringLiteral(" and test_id in (") + additivePart + QStringLiteral(")") + kOrder;
    }
    return statement;
}

SearchResult runSearch(const QSqlDatabase& db, const SearchStatement& statement, const QLocale& locale)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    // On the lab server Like keeps the meaning it has on the embedded file.
    const Backend backend = db.driverName() == QLatin1String("QPSQL") ? Backend::Postgres : Backend::Sqlite;
    if (!query.prepare(adaptSql(statement.sql, backend)))
        throw DbError(query.lastError());
    for (const QVariant& v : statement.values) {
        // The server's TIMESTAMP holds the workstation's wall-clock time, as
        // the record classes store it: compare with that text, so that no
        // time-zone setting of the session can shift the day.
        if (backend == Backend::Postgres && v.typeId() == QMetaType::QDateTime)
            query.addBindValue(v.toDateTime().toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")));
        else
            query.addBindValue(v);
    }
    if (!query.exec())
        throw DbError(query.lastError());

    SearchResult result;
    const QSqlRecord record = query.record();
    for (int i = 1; i <= 5 && i < record.count(); ++i)
        result.headings << record.fieldName(i).toUpper();
    while (query.next()) {
        result.testIds << query.value(0).toInt();
        QStringList row;
        for (int i = 1; i <= 5; ++i) {
            const QVariant v = query.value(i);
            if (i == 3 && !v.isNull()) {
                // Stored as a time stamp or as ISO text, shown as the operator writes dates.
                QDateTime time = v.toDateTime();
                if (!time.isValid())
                    time = QDateTime::fromString(v.toString(), Qt::ISODateWithMs);
                row << (time.isValid() ? locale.toString(time, QLocale::ShortFormat) : v.toString());
            } else {
                row << v.toString();
            }
        }
        result.rows << row;
    }
    if (query.lastError().isValid())
        throw DbError(query.lastError());
    return result;
}

}  // namespace tz
