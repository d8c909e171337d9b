#pragma once
// A fresh TZ360.db in a temporary directory, opened the way the main window
// opens it, plus raw SQL for setting up rows the record classes cannot write.
#include "db/clsConnection.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

struct TempDatabase {
    QTemporaryDir dir;
    clsConnection connection;

    TempDatabase() { connection.OpenDB("msORA", "system", "", "", dir.path()); }

    // Runs one statement; returns the first column of every row.
    QVariantList sql(const QString& statement, const QVariantList& values = {})
    {
        QSqlQuery query(connection.ADOConnection());
        if (!query.prepare(statement))
            qFatal("prepare failed: %s: %s", qPrintable(statement), qPrintable(query.lastError().text()));
        for (const QVariant& v : values)
            query.addBindValue(v);
        if (!query.exec())
            qFatal("exec failed: %s: %s", qPrintable(statement), qPrintable(query.lastError().text()));
        QVariantList column;
        while (query.next())
            column << query.value(0);
        return column;
    }

    int count(const QString& table, const QString& where = QStringLiteral("1"))
    {
        return sql(QStringLiteral("SELECT count(*) FROM %1 WHERE %2").arg(table, where)).value(0).toInt();
    }
};
