#include "db/SqlDialect.h"

namespace tz {

namespace {

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

}  // namespace

QString adaptSql(const QString& sql, Backend backend)
{
    if (backend != Backend::Postgres)
        return sql;
    QString out;
    out.reserve(sql.size() + 16);
    qsizetype i = 0;
    while (i < sql.size()) {
        const QChar c = sql[i];
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            // A quoted text or name, with doubled quotes inside, as it is.
            qsizetype end = i + 1;
            while (end < sql.size()) {
                if (sql[end] == c) {
                    if (end + 1 < sql.size() && sql[end + 1] == c) {
                        end += 2;
                        continue;
                    }
                    break;
                }
                ++end;
            }
            out += sql.mid(i, end + 1 - i);
            i = end + 1;
            continue;
        }
        if (!isWordChar(c)) {
            out += c;
            ++i;
            continue;
        }
        qsizetype end = i;
        while (end < sql.size() && isWordChar(sql[end]))
            ++end;
        const QString word = sql.mid(i, end - i);
        if (word.compare(QLatin1String("LIKE"), Qt::CaseInsensitive) == 0) {
            out += QStringLiteral("ILIKE");
        } else if (word.compare(QLatin1String("DESC"), Qt::CaseInsensitive) == 0) {
            out += word;
            // Unless the statement already says where NULLs go.
            qsizetype next = end;
            while (next < sql.size() && sql[next].isSpace())
                ++next;
            if (!sql.mid(next, 5).startsWith(QLatin1String("NULLS"), Qt::CaseInsensitive))
                out += QStringLiteral(" NULLS LAST");
        } else {
            out += word;
        }
        i = end;
    }
    return out;
}

QString insertReturningKey(const QString& insertSql, const QString& keyColumn, Backend backend)
{
    if (backend != Backend::Postgres)
        return insertSql;
    return insertSql + QStringLiteral(" RETURNING ") + keyColumn;
}

}  // namespace tz
