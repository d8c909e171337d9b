#pragma once
// Moving a bench's tests and sequences into another database (a lab's new
// server, a colleague's TZ360.db): every sequence with its steps and shear
// ramps, every test with its additives and points, under new ids of the target.
#include <QHash>
#include <QSet>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <vector>

class clsConnection;

namespace tz {

struct CopyResult {
    QStringList lines;   // one per sequence or test copied, with its new name if renamed
    int sequences = 0;
    int tests = 0;
};

// One row of a table by column name, as read from the source.
struct CopyRow {
    QStringList columns;
    QVariantList values;
    QVariant value(const QString& column) const { return values.value(columns.indexOf(column)); }
};

// Writes the rows of one table into the target with statements prepared
// once: a row without its own key column, its parent column (if any) set to
// the parent's new key. Every row given to one writer has the same columns.
class CopyTableWriter {
public:
    CopyTableWriter(clsConnection& target, QString table, QString keyColumn, QString parentColumn = QString());

    // One row whose new key the caller needs (a sequence or a test header).
    QVariant insertForKey(const CopyRow& row, const QVariant& parentKey = QVariant());
    // A row nobody refers to (a point, an additive, a ramp row): kept until
    // a whole multi-row insert is ready. flush() writes the rest.
    void add(const CopyRow& row, const QVariant& parentKey);
    void flush();

private:
    QSqlQuery& statement(const CopyRow& row, int rowCount, bool returningKey);
    void bindRow(QSqlQuery& insert, const CopyRow& row, const QVariant& parentKey);
    static void exec(QSqlQuery& insert);

    clsConnection& m_target;
    const QString m_table, m_key, m_parent;
    QStringList m_columns;
    QHash<int, QSqlQuery> m_prepared;  // by rows per statement; 0: one row returning its key
    std::vector<CopyRow> m_pending;
    QVariantList m_pendingParents;
};

// The names the copies are stored under, in source order. Only a name the
// target already holds (inTarget) is a clash: refused with a tz::DbError
// naming it ("Sequence"/"Test" as what), or with rename the first free
// "NAME (n)" that fits the 40-character column.
QStringList chooseCopyNames(const QStringList& sourceNames, const QSet<QString>& inTarget, bool rename,
                            const char* what);
// The line a copied header is listed under: "Test \"A\"" or "Test \"A\" -> \"A (2)\"".
QString describeCopy(const char* what, const QString& name, const QString& stored);

// Copies everything from source into target in one transaction of the target.
// A name already in the target is refused (tz::DbError naming it, nothing
// written) unless renameClashes: then the first free "NAME (2)", "NAME (3)"...
// that fits the 40-character columns is used.
CopyResult copyDatabase(clsConnection& source, clsConnection& target, bool renameClashes);

}  // namespace tz
