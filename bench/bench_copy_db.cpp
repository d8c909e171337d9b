// Moving a bench's database to the lab server: a file holding one test of
// 100,000 points (about four days at one point each 3.5 s) and 20 short
// tests is copied to another file and to a throw-away PostgreSQL server (when
// the server binaries are installed), printing the time of each copy.
// Aim: a minute of copying per million points at most, so a bench's years
// of tests move in one sitting.
#include "db/DatabaseCopy.h"
#include "db/DatabaseLocation.h"
#include "db/clsConnection.h"
#include "tests/db/PgTestServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>

namespace {

void fill(clsConnection& c, int longTestPoints)
{
    QSqlQuery q(c.ADOConnection());
    c.ADOConnection().transaction();
    for (int t = 0; t <= 20; ++t) {
        q.prepare("INSERT INTO TEST_INFO (TEST_NAME, TEST_TIME, BOB_RADIUS) VALUES (?, '2026-03-01 08:30:00', 1.5987)");
        q.addBindValue(QStringLiteral("Gel %1").arg(t));
        q.exec();
        const int id = q.lastInsertId().toInt();
        // The embedded engine generates the rows itself: a hold at 100 1/s.
        q.prepare("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i + 1 < ?) "
                  "INSERT INTO TEST_RESULT (TEST_ID, RAMP_NO, RAMP_STEP_NO, RESULT_TIME, RESULT_SAMPLE_TEMP, "
                  "RESULT_PRESS, RESULT_SHEAR_RATE, RESULT_SHEAR_STRESS, RESULT_TYPE_ID, RESULT_BATH_TEMP) "
                  "SELECT ?, 1, 0, i * 3.5, 250 + (i % 7) * 0.1, 400, 100, 95.5 + (i % 13) * 0.25, 0, 252 FROM n");
        q.addBindValue(t == 0 ? longTestPoints : 600);
        q.addBindValue(id);
        q.exec();
    }
    c.ADOConnection().commit();
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTemporaryDir dir;
    tz::DatabaseLocation from;
    from.filePath = dir.filePath("bench.db");
    clsConnection source;
    source.open(from);
    const int points = 100000;
    fill(source, points);
    const int total = points + 20 * 600;

    const auto copyInto = [&](const tz::DatabaseLocation& location, const QString& what) {
        clsConnection target;
        target.open(location);
        if (!target.isOpen()) {
            out << what << ": cannot open: " << target.lastError() << "\n";
            return;
        }
        QElapsedTimer timer;
        timer.start();
        const tz::CopyResult result = tz::copyDatabase(source, target, false);
        const qint64 ms = timer.elapsed();
        out << what << ": " << result.tests << " tests, " << total << " points in " << ms << " ms ("
            << (total * 1000.0 / std::max<qint64>(ms, 1)) << " points/s)\n";
        out.flush();
    };

    tz::DatabaseLocation toFile;
    toFile.filePath = dir.filePath("copy.db");
    copyInto(toFile, "file to file");

    auto& server = tz::test::PgTestServer::instance();
    if (!server.available()) {
        out << "file to server: skipped (" << server.reason() << ")\n";
        return 0;
    }
    tz::DatabaseLocation toServer;
    QString error;
    if (!tz::parseServerUri(server.createDatabase(), toServer, error)) {
        out << "file to server: " << error << "\n";
        return 1;
    }
    copyInto(toServer, "file to server");
    return 0;
}
