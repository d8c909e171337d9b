#include "db/LegacyImport.h"

#include "db/DbError.h"
#include "db/Transaction.h"
#include "db/clsConnection.h"

#include <QDateTime>
#include <QHash>
#include <QLocale>
#include <QSqlQuery>

#include <cmath>
#include <vector>

namespace tz {
namespace {

enum class Kind { Key, Parent, Number, Integer, Text40, Text1000, DateTime };

struct Column {
    const char* name;
    Kind kind;
};

struct Table {
    const char* name;
    std::vector<Column> columns;  // the key first
};

const Table kSequenceInfo{"SEQUENCE_INFO",
                          {{"SEQUENCE_ID", Kind::Key}, {"SEQUENCE_NAME", Kind::Text40},
                           {"TIME_BEFORE_READ", Kind::Number}, {"RAMP_SAMPLE_RATE", Kind::Number},
                           {"SAMPLE_POINTS_AVERAGE", Kind::Number}, {"SHUT_DOWN_ATIME", Kind::Number},
                           {"SHUT_DOWN_VISC", Kind::Number}, {"SAMPLE_INTERVAL", Kind::Integer}}};
const Table kSequenceRamp{"SEQUENCE_RAMP",
                          {{"SEQUENCE_RAMP_ID", Kind::Key}, {"SEQUENCE_ID", Kind::Parent}, {"RAMP_NO", Kind::Number},
                           {"RAMP_ELAPSE_TIME", Kind::Number}, {"RAMP_TEMP", Kind::Number},
                           {"RAMP_START_ERROR", Kind::Number}, {"SHEAR_RATE", Kind::Number}, {"RUN_RAMP", Kind::Number}}};
const Table kSequenceRampDefine{"SEQUENCE_RAMP_DEFINE",
                                {{"SEQUENCE_DEF_ID", Kind::Key}, {"SEQUENCE_ID", Kind::Parent},
                                 {"RAMP_STEP_NO", Kind::Number}, {"RAMP_SHEAR_RATE", Kind::Number}}};
const Table kTestInfo{"TEST_INFO",
                      {{"TEST_ID", Kind::Key}, {"TEST_NAME", Kind::Text40}, {"FLUID_ID", Kind::Text40},
                       {"TEST_TIME", Kind::DateTime}, {"RESEARCHER_NAME", Kind::Text40}, {"ROTOR_NO", Kind::Text40},
                       {"BOB_NO", Kind::Text40}, {"BOB_RADIUS", Kind::Number}, {"BOB_EFF_LENGTH", Kind::Number},
                       {"PRETEST_PH", Kind::Number}, {"POSTTEST_PH", Kind::Number}, {"SAFETY", Kind::Text1000}}};
const Table kTestAdditive{"TEST_ADDITIVE",
                          {{"TESTADD_ID", Kind::Key}, {"TEST_ID", Kind::Parent}, {"ADDITIVE_NM", Kind::Text40},
                           {"ADD_CONCEN", Kind::Number}, {"ADD_UNIT", Kind::Text40}, {"ADD_LOTNO", Kind::Text40}}};
const Table kTestResult{"TEST_RESULT",
                        {{"TEST_RESULT_ID", Kind::Key}, {"TEST_ID", Kind::Parent}, {"RAMP_NO", Kind::Number},
                         {"RAMP_STEP_NO", Kind::Number}, {"RESULT_TIME", Kind::Number},
                         {"RESULT_SAMPLE_TEMP", Kind::Number}, {"RESULT_PRESS", Kind::Number},
                         {"RESULT_SHEAR_RATE", Kind::Number}, {"RESULT_SHEAR_STRESS", Kind::Number},
                         {"RESULT_TYPE_ID", Kind::Number}, {"RESULT_BATH_TEMP", Kind::Number}}};

const Table* const kAllTables[] = {&kSequenceInfo, &kSequenceRamp, &kSequenceRampDefine,
                                   &kTestInfo, &kTestAdditive, &kTestResult};

// Reads one table, turning each row into the target's typed values (the key
// column kept first, for the parent map).
class TableReader {
public:
    TableReader(LegacyTableSource& source, const Table& table) : m_source(source), m_table(table) {}

    void read(const std::function<void(const CopyRow&)>& onRow)
    {
        bool header = true;
        qint64 rowNo = 0;
        m_source.readTable(QLatin1String(m_table.name), [&](const LegacyRecord& record) {
            if (header) {
                mapHeader(record);
                header = false;
                return;
            }
            ++rowNo;
            onRow(convert(record, rowNo));
        });
        if (header)
            throw DbError(QStringLiteral("%1 in %2 has no column names").arg(QLatin1String(m_table.name), m_source.description()));
    }

private:
    void mapHeader(const LegacyRecord& record)
    {
        QHash<QString, int> at;
        for (int i = 0; i < record.size(); ++i)
            at.insert(record[i].text.trimmed().toUpper(), i);
        m_index.clear();
        QStringList missing;
        for (const Column& column : m_table.columns) {
            const int i = at.value(QLatin1String(column.name), -1);
            if (i < 0)
                missing << QLatin1String(column.name);
            m_index << i;
        }
        if (!missing.isEmpty())
            throw DbError(QStringLiteral("%1 in %2 has no column %3; nothing imported")
                              .arg(QLatin1String(m_table.name), m_source.description(), missing.join(QStringLiteral(", "))));
        m_fieldCount = static_cast<int>(record.size());
    }

    [[noreturn]] void bad(qint64 rowNo, const char* column, const QString& why) const
    {
        throw DbError(QStringLiteral("%1 row %2, %3: %4; nothing imported")
                          .arg(QLatin1String(m_table.name)).arg(rowNo).arg(QLatin1String(column), why));
    }

    CopyRow convert(const LegacyRecord& record, qint64 rowNo) const
    {
        if (record.size() != m_fieldCount)
            bad(rowNo, m_table.columns.front().name,
                QStringLiteral("%1 fields where the header has %2").arg(record.size()).arg(m_fieldCount));
        CopyRow row;
        for (size_t c = 0; c < m_table.columns.size(); ++c) {
            const Column& column = m_table.columns[c];
            const LegacyField& field = record[m_index[static_cast<qsizetype>(c)]];
            row.columns << QLatin1String(column.name);
            row.values << value(column, field, rowNo);
        }
        return row;
    }

    QVariant value(const Column& column, const LegacyField& field, qint64 rowNo) const
    {
        switch (column.kind) {
        case Kind::Text40:
        case Kind::Text1000: {
            if (field.isNull)
                return QVariant(QMetaType::fromType<QString>());
            const int limit = column.kind == Kind::Text40 ? 40 : 1000;
            if (field.text.size() > limit)
                bad(rowNo, column.name, QStringLiteral("longer than %1 characters").arg(limit));
            return field.text;
        }
        case Kind::DateTime: {
            if (field.isNull)
                return QVariant(QMetaType::fromType<QString>());
            // Wall-clock text as the record classes store it: no time zone
            // may move a start time, not even across a clock change.
            const QString date = field.text.section(QLatin1Char(' '), 0, 0);
            const QString time = field.text.section(QLatin1Char(' '), 1);
            const QDate d = QDate::fromString(date, QStringLiteral("yyyy-MM-dd"));
            const QTime t = time.isEmpty() ? QTime(0, 0) : QTime::fromString(time, QStringLiteral("HH:mm:ss"));
            if (!d.isValid() || !t.isValid())
                bad(rowNo, column.name, QStringLiteral("\"%1\" is no date and time").arg(field.text.left(40)));
            return d.toString(QStringLiteral("yyyy-MM-dd")) + QLatin1Char(' ') + t.toString(QStringLiteral("HH:mm:ss.zzz"));
        }
        case Kind::Key:
        case Kind::Parent:
        case Kind::Integer:
        case Kind::Number: {
            if (field.isNull)
                return column.kind == Kind::Number ? QVariant(QMetaType::fromType<double>())
                                                   : QVariant(QMetaType::fromType<qlonglong>());
            bool ok = false;
            const double v = QLocale::c().toDouble(field.text.trimmed(), &ok);
            if (!ok || !std::isfinite(v))
                bad(rowNo, column.name, QStringLiteral("\"%1\" is no number").arg(field.text.left(40)));
            if (column.kind == Kind::Number)
                return v;
            // The recording period is whole seconds: halves go to the even
            // neighbour, as the sequence record does.
            const double whole = column.kind == Kind::Integer ? std::nearbyint(v) : v;
            if (whole != std::floor(whole) || std::fabs(whole) > 2147483647.0)
                bad(rowNo, column.name, QStringLiteral("\"%1\" is no whole number").arg(field.text.left(40)));
            return static_cast<qlonglong>(whole);
        }
        }
        return {};
    }

    LegacyTableSource& m_source;
    const Table& m_table;
    QList<int> m_index;
    int m_fieldCount = 0;
};

struct Header {
    CopyRow row;
    QString name;
    bool nameNull = false;
};

struct Family {
    const char* what;
    const Table& header;
    std::vector<const Table*> children;
    const char* countedAs;
};

const Family kSequences{"Sequence", kSequenceInfo, {&kSequenceRamp, &kSequenceRampDefine}, nullptr};
const Family kTests{"Test", kTestInfo, {&kTestAdditive, &kTestResult}, "points"};

struct Plan {
    const Family& family;
    std::vector<Header> headers;
    QStringList storeAs;
};

Plan plan(const Family& family, LegacyTableSource& source, clsConnection& target, bool rename)
{
    Plan p{family, {}, {}};
    const QString nameColumn = QLatin1String(family.header.columns[1].name);
    TableReader(source, family.header).read([&](const CopyRow& row) {
        const QVariant name = row.values[1];
        p.headers.push_back({row, name.toString(), name.isNull()});
    });
    QStringList names;
    for (const Header& h : p.headers)
        names << h.name;
    QSet<QString> inTarget;
    target.ensureConnected();
    QSqlQuery query(target.ADOConnection());
    if (!query.exec(QStringLiteral("SELECT %1 FROM %2").arg(nameColumn, QLatin1String(family.header.name))))
        throw DbError(query.lastError());
    while (query.next())
        inTarget.insert(query.value(0).toString());
    p.storeAs = chooseCopyNames(names, inTarget, rename, family.what);
    return p;
}

void importFamily(const Plan& p, LegacyTableSource& source, clsConnection& target, QStringList& lines)
{
    const Family& f = p.family;
    const QString key = QLatin1String(f.header.columns[0].name);
    const QString nameColumn = QLatin1String(f.header.columns[1].name);
    CopyTableWriter headerWriter(target, QLatin1String(f.header.name), key);
    QHash<qlonglong, qsizetype> byOldId;
    QVariantList newIds;
    for (size_t i = 0; i < p.headers.size(); ++i) {
        CopyRow row = p.headers[i].row;
        const QString storeAs = p.storeAs[static_cast<qsizetype>(i)];
        if (!(p.headers[i].nameNull && storeAs.isEmpty()))
            row.values[1] = storeAs;
        newIds << headerWriter.insertForKey(row);
        const QVariant oldId = row.values[0];
        if (!oldId.isNull()) {
            if (byOldId.contains(oldId.toLongLong()))
                throw DbError(QStringLiteral("%1 holds %2 %3 twice; nothing imported")
                                  .arg(QLatin1String(f.header.name), key).arg(oldId.toLongLong()));
            byOldId.insert(oldId.toLongLong(), static_cast<qsizetype>(i));
        }
    }
    // Children come in the file's order, each under its parent's new id.
    QList<int> lastCounts(static_cast<qsizetype>(p.headers.size()), 0);
    for (const Table* child : f.children) {
        CopyTableWriter writer(target, QLatin1String(child->name), QLatin1String(child->columns[0].name), key);
        QList<int> counts(static_cast<qsizetype>(p.headers.size()), 0);
        qint64 orphans = 0;
        TableReader(source, *child).read([&](const CopyRow& row) {
            const QVariant parent = row.values[1];
            const auto found = parent.isNull() ? byOldId.cend() : byOldId.constFind(parent.toLongLong());
            if (found == byOldId.cend()) {
                ++orphans;
                return;
            }
            writer.add(row, newIds[found.value()]);
            ++counts[found.value()];
        });
        writer.flush();
        lastCounts = counts;
        if (orphans)
            lines << QStringLiteral("Skipped %1 %2 row(s) of no stored %3")
                         .arg(orphans).arg(QLatin1String(child->name), QString::fromLatin1(f.what).toLower());
    }
    for (size_t i = 0; i < p.headers.size(); ++i) {
        QString line = describeCopy(f.what, p.headers[i].name, p.storeAs[static_cast<qsizetype>(i)]);
        if (f.countedAs)
            line += QStringLiteral(" (%1 %2)").arg(lastCounts[static_cast<qsizetype>(i)]).arg(QLatin1String(f.countedAs));
        lines << line;
    }
}

}  // namespace

void requireLegacyTables(LegacyTableSource& source)
{
    QStringList present;
    for (const QString& name : source.tables())
        present << name.toUpper();
    QStringList missing;
    for (const Table* table : kAllTables)
        if (!present.contains(QLatin1String(table->name)))
            missing << QLatin1String(table->name);
    if (!missing.isEmpty())
        throw DbError(QStringLiteral("%1 has no table %2; nothing imported")
                          .arg(source.description(), missing.join(QStringLiteral(", "))));
}

CopyResult importLegacy(LegacyTableSource& source, clsConnection& target, bool renameClashes)
{
    // Every table is checked before anything is read or written.
    requireLegacyTables(source);
    CopyResult result;
    inTransaction(target, [&] {
        const Plan sequences = plan(kSequences, source, target, renameClashes);
        const Plan tests = plan(kTests, source, target, renameClashes);
        importFamily(sequences, source, target, result.lines);
        importFamily(tests, source, target, result.lines);
        result.sequences = static_cast<int>(sequences.headers.size());
        result.tests = static_cast<int>(tests.headers.size());
    });
    return result;
}

}  // namespace tz
