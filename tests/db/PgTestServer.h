#pragma once
// A throw-away PostgreSQL server for the database tests: initdb into a
// temporary folder, the server listening only on a Unix socket in that folder
// (no TCP port), every test database created fresh on it, and everything
// stopped and removed when the test program ends. PostgreSQL refuses to run
// as root, so under root (CI, containers) the server runs as "nobody". The
// server is bound to the test program's life: if the program dies, so does
// the server.
//
// Without the server binaries (Debian package postgresql) or Qt's QPSQL driver
// (libqt6sql6-psql) available() is false and reason() says why, so the server
// rows of the tests are skipped with that message.
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QTemporaryDir>
#include <QThread>
#include <QElapsedTimer>
#include <QCoreApplication>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tz::test {

class PgTestServer {
public:
    static PgTestServer& instance()
    {
        static PgTestServer server;
        return server;
    }

    bool available() const { return m_running || !m_dir.isEmpty(); }
    QString reason() const { return m_reason; }
    QString socketDir() const { return m_dir; }

    // A URI of the kind a lab writes into database.txt.
    QString uri(const QString& options = QString()) const
    {
        return QStringLiteral("postgresql:///%1?host=%2&user=%3%4")
            .arg(QLatin1String(kDatabase), m_dir, QLatin1String(kUser), options);
    }

    // A new, empty database on the server; returns its URI. Each is a schema
    // of its own, selected through the URI's options the way any libpq
    // parameter is passed (a schema costs a fraction of a whole database).
    QString createDatabase()
    {
        const QString schema = QStringLiteral("t%1").arg(++m_databases);
        QSqlDatabase admin = adminConnection();
        QSqlQuery create(admin);
        if (!create.exec(QStringLiteral("CREATE SCHEMA %1").arg(schema)))
            qFatal("CREATE SCHEMA failed: %s", qPrintable(create.lastError().text()));
        return uri(QStringLiteral("&options=-c%20search_path%3D") + schema);
    }

    // Stops the server at once, as a crash or a pulled cable would end it.
    void stop()
    {
        if (m_pid <= 0)
            return;
        closeAdmin();
        ::kill(m_pid, SIGQUIT);
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        m_pid = -1;
        m_running = false;
    }

    // Starts the server again on the same data; false with reason() set.
    bool start()
    {
        if (m_running)
            return true;
        const std::vector<std::string> args = {
            m_bin + "/postgres", "-D", dataDir(), "-k", m_dir.toStdString(), "-c", "listen_addresses=",
            "-c", "fsync=off", "-c", "full_page_writes=off", "-c", "max_connections=60"};
        m_pid = spawn(args, (m_dir + QStringLiteral("/server.log")).toStdString(), true);
        if (m_pid <= 0) {
            m_reason = QStringLiteral("could not start postgres");
            return false;
        }
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < 30000) {
            if (adminConnection(false).isOpen()) {
                m_running = true;
                return true;
            }
            int status = 0;
            if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1;
                m_reason = QStringLiteral("postgres ended at start-up: ") + log();
                return false;
            }
            QThread::msleep(100);
        }
        m_reason = QStringLiteral("postgres did not answer within 30 s: ") + log();
        return false;
    }

    ~PgTestServer()
    {
        stop();
        if (!m_dir.isEmpty()) {
            std::error_code ignored;
            std::filesystem::remove_all(m_dir.toStdString(), ignored);
        }
    }

private:
    static constexpr const char* kUser = "tz360";
    static constexpr const char* kDatabase = "tz360";
    static constexpr const char* kAdmin = "tz360-test-server-admin";

    PgTestServer()
    {
        if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL"))) {
            m_reason = QStringLiteral("Qt's QPSQL driver is not installed (Debian package libqt6sql6-psql)");
            return;
        }
        m_bin = findBinaries();
        if (m_bin.empty()) {
            m_reason = QStringLiteral("no PostgreSQL server binaries (initdb, postgres) in "
                                      "/usr/lib/postgresql/*/bin or TZ360_PG_BINDIR (Debian package postgresql)");
            return;
        }
        if (::geteuid() == 0) {
            const passwd* nobody = ::getpwnam("nobody");
            if (!nobody) {
                m_reason = QStringLiteral("running as root, and there is no user \"nobody\" to run the server as");
                return;
            }
            m_uid = nobody->pw_uid;
            m_gid = nobody->pw_gid;
        }
        // Short path: a Unix socket path may not exceed 107 bytes.
        char pattern[] = "/tmp/tz360pg.XXXXXX";
        if (!::mkdtemp(pattern)) {
            m_reason = QStringLiteral("cannot create a temporary folder");
            return;
        }
        m_dir = QString::fromLocal8Bit(pattern);
        if (m_uid >= 0 && ::chown(pattern, m_uid, m_gid) != 0) {
            m_reason = QStringLiteral("cannot hand the temporary folder to \"nobody\"");
            return;
        }
        const std::vector<std::string> initdb = {m_bin + "/initdb", "-D", dataDir(), "-U", kUser,
                                                 "-A", "trust", "-E", "UTF8", "--no-locale", "--no-sync"};
        const pid_t pid = spawn(initdb, (m_dir + QStringLiteral("/initdb.log")).toStdString(), false);
        int status = 0;
        if (pid <= 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            QFile out(m_dir + QStringLiteral("/initdb.log"));
            out.open(QIODevice::ReadOnly);
            m_reason = QStringLiteral("initdb failed: ") + QString::fromLocal8Bit(out.readAll().right(600));
            return;
        }
        if (start()) {
            {
                QSqlQuery create(adminConnection());
                if (!create.exec(QStringLiteral("CREATE DATABASE %1").arg(QLatin1String(kDatabase))))
                    qFatal("CREATE DATABASE failed: %s", qPrintable(create.lastError().text()));
            }
            closeAdmin();
            QSqlDatabase::removeDatabase(kAdmin);
            m_adminDatabase = QLatin1String(kDatabase);
        } else {
            const QString why = m_reason;
            std::error_code ignored;
            std::filesystem::remove_all(m_dir.toStdString(), ignored);
            m_dir.clear();
            m_reason = why;
        }
    }

    std::string dataDir() const { return (m_dir + QStringLiteral("/data")).toStdString(); }

    QString log() const
    {
        QFile file(m_dir + QStringLiteral("/server.log"));
        file.open(QIODevice::ReadOnly);
        return QString::fromLocal8Bit(file.readAll().right(600));
    }

    static std::string findBinaries()
    {
        // TZ360_PG_BINDIR names the one folder to use (an empty or wrong one
        // shows what happens on a machine without the server).
        QStringList candidates;
        if (qEnvironmentVariableIsSet("TZ360_PG_BINDIR"))
            candidates << qEnvironmentVariable("TZ360_PG_BINDIR");
        else
            candidates << QString();
        QDir versions(QStringLiteral("/usr/lib/postgresql"));
        QStringList found = versions.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        std::sort(found.begin(), found.end(), [](const QString& a, const QString& b) { return a.toInt() > b.toInt(); });
        if (candidates[0].isEmpty()) {
            candidates.clear();
            for (const QString& version : found)
                candidates << versions.filePath(version + QStringLiteral("/bin"));
        }
        for (const QString& bin : candidates)
            if (QFile::exists(bin + QStringLiteral("/initdb")) && QFile::exists(bin + QStringLiteral("/postgres")))
                return bin.toStdString();
        return {};
    }

    // fork and exec, as "nobody" under root; output into logPath. A server
    // gets SIGQUIT (immediate shutdown) when this program ends in any way.
    pid_t spawn(const std::vector<std::string>& args, const std::string& logPath, bool server) const
    {
        std::vector<char*> argv;
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        const int uid = m_uid;
        const int gid = m_gid;
        const pid_t pid = ::fork();
        if (pid != 0)
            return pid;
        // Child: only async-signal-safe calls from here on.
        if (gid >= 0 && (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0))
            ::_exit(126);
        if (uid >= 0 && ::setuid(uid) != 0)
            ::_exit(126);
        if (server)
            ::prctl(PR_SET_PDEATHSIG, SIGQUIT);
        const int log = ::open(logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        if (log >= 0) {
            ::dup2(log, 1);
            ::dup2(log, 2);
        }
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }

    QSqlDatabase adminConnection(bool mustOpen = true)
    {
        const QString name = QLatin1String(kAdmin);
        QSqlDatabase db = QSqlDatabase::contains(name) ? QSqlDatabase::database(name, false)
                                                       : QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        if (db.isOpen())
            return db;
        db.setHostName(m_dir);
        db.setUserName(QLatin1String(kUser));
        db.setDatabaseName(m_adminDatabase);
        if (!db.open() && mustOpen)
            qFatal("the test server does not answer: %s", qPrintable(db.lastError().text()));
        return db;
    }

    void closeAdmin()
    {
        const QString name = QLatin1String(kAdmin);
        if (QSqlDatabase::contains(name))
            QSqlDatabase::database(name, false).close();
    }

    std::string m_bin;
    QString m_dir;
    QString m_reason;
    int m_uid = -1;
    int m_gid = -1;
    pid_t m_pid = -1;
    bool m_running = false;
    int m_databases = 0;
    QString m_adminDatabase = QStringLiteral("postgres");
};

}  // namespace tz::test

// main() of a test program that needs the server for everything it does
// (the program includes QTest itself): without the server CTest reports the
// program skipped (its SKIP_RETURN_CODE 77), with the reason on stderr.
#define TZ360_SERVER_TEST_MAIN(TestClass)                                                \
    int main(int argc, char** argv)                                                      \
    {                                                                                    \
        QCoreApplication app(argc, argv);                                                \
        if (!tz::test::PgTestServer::instance().available()) {                           \
            std::fprintf(stderr, "SKIPPED: PostgreSQL test server unavailable: %s\n",    \
                         qPrintable(tz::test::PgTestServer::instance().reason()));       \
            return 77;                                                                   \
        }                                                                                \
        TestClass test;                                                                  \
        return QTest::qExec(&test, argc, argv);                                          \
    }
