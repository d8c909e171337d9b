// The web view under a lab's load: a database of 2,000 tests and 5 million
// points (one test of 300,000), tz360-cli serve on it, and
//   the list page and the list JSON, asked 20 times each;
//   the 300,000-point test's points JSON, asked 5 times;
//   50 browsers polling a running test once a second (keep-alive), while a
//   point is stored in it every second, for the given seconds (default 60).
// Prints the times and whether they meet the aims: list < 100 ms, the big
// test < 500 ms, polling p99 < 100 ms, no error.
//
//   scripts/build.sh --target bench_web tz360-cli && build/bench_web [DIR] [SECONDS]
// DIR keeps the database between runs (made on the first; a temporary folder
// when not given). The server is the tz360-cli beside this program, or
// TZ360_CLI.
#include "db/clsConnection.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int kTests = 2000;
constexpr qint64 kPoints = 5'000'000;
constexpr int kBigPoints = 300'000;
constexpr int kClients = 50;

void fail(const QString& what)
{
    std::fprintf(stderr, "bench_web: %s\n", qPrintable(what));
    std::exit(1);
}

void exec(QSqlQuery& q)
{
    if (!q.exec())
        fail(q.lastError().text());
}

// Test 1 is the big one; the last is the running one (started now, points up
// to a second ago); the rest share the other points.
void makeDatabase(const QString& dir)
{
    clsConnection c;
    c.OpenDB("", "", "", "", dir);
    if (!c.isOpen())
        fail(c.lastError());
    QSqlDatabase db = c.ADOConnection();
    QSqlQuery q(db);
    q.exec("PRAGMA synchronous=OFF");
    db.transaction();
    QSqlQuery info(db);
    info.prepare("INSERT INTO TEST_INFO (TEST_NAME, FLUID_ID, TEST_TIME, RESEARCHER_NAME, ROTOR_NO, BOB_NO, "
                 "BOB_RADIUS, BOB_EFF_LENGTH, PRETEST_PH, POSTTEST_PH, SAFETY) VALUES (?, ?, ?, ?, 'R1', 'B5', "
                 "1.5987, 7.62, 7, 7, '')");
    const QDateTime start(QDate(2019, 1, 1), QTime(8, 0));
    for (int t = 1; t <= kTests; ++t) {
        info.addBindValue(QStringLiteral("Lab test %1").arg(t, 4, 10, QLatin1Char('0')));
        info.addBindValue(t % 3 ? "WF130 borate" : "YF-4 zirconate");
        info.addBindValue(t == kTests ? QDateTime::currentDateTime().addSecs(-3600) : start.addSecs(qint64(t) * 86400));
        info.addBindValue(t % 2 ? "J. Ortiz" : "M. Chen");
        exec(info);
    }
    QSqlQuery point(db);
    point.prepare("INSERT INTO TEST_RESULT (TEST_ID, RAMP_NO, RAMP_STEP_NO, RESULT_TIME, RESULT_SAMPLE_TEMP, "
                  "RESULT_PRESS, RESULT_SHEAR_RATE, RESULT_SHEAR_STRESS, RESULT_TYPE_ID, RESULT_BATH_TEMP) "
                  "VALUES (?, ?, ?, ?, ?, 500, ?, ?, ?, ?)");
    const qint64 perTest = (kPoints - kBigPoints) / (kTests - 1);
    qint64 stored = 0;
    for (int t = 1; t <= kTests; ++t) {
        const qint64 n = t == 1 ? kBigPoints : t == kTests ? 3599 : perTest;
        for (qint64 i = 0; i < n; ++i) {
            // A ramp of five steps every 600 points, otherwise a hold at 100 1/s.
            const qint64 inRamp = i % 600;
            const bool ramp = inRamp >= 595;
            const double rate = ramp ? 25.0 * double(inRamp - 594) : 100.0;
            point.addBindValue(t);
            point.addBindValue(double(i / 600 + 1));
            point.addBindValue(ramp ? double(inRamp - 594) : 0.0);
            point.addBindValue(double(i));
            point.addBindValue(150.0 + 50.0 * std::tanh(double(i) / 3000.0));
            point.addBindValue(rate);
            point.addBindValue(20.0 * std::pow(rate, 0.5));
            point.addBindValue(ramp ? 1.0 : 0.0);
            point.addBindValue(152.0 + 50.0 * std::tanh(double(i) / 2500.0));
            exec(point);
        }
        stored += n;
        if (t % 200 == 0)
            std::fprintf(stderr, "  %d tests, %lld points\n", t, static_cast<long long>(stored));
    }
    db.commit();
}

struct Stats {
    std::vector<double> ms;
    int errors = 0;
    double percentile(double p)
    {
        if (ms.empty())
            return 0;
        std::sort(ms.begin(), ms.end());
        return ms[std::min(ms.size() - 1, static_cast<size_t>(std::ceil(p * double(ms.size()))) - 1)];
    }
};

// One keep-alive connection that asks and measures; answers are complete
// when Content-Length bytes of body have arrived.
class Client : public QObject {
public:
    Client(quint16 port, Stats& stats) : m_port(port), m_stats(stats)
    {
        connect(&m_socket, &QTcpSocket::readyRead, this, [this] { read(); });
        connect(&m_socket, &QTcpSocket::errorOccurred, this, [this] {
            if (m_waiting) { ++m_stats.errors; m_waiting = false; }
        });
    }
    void ask(const QByteArray& path, std::function<void(const QByteArray&)> done)
    {
        if (m_waiting) { ++m_stats.errors; return; }   // the last answer never came
        if (m_socket.state() != QAbstractSocket::ConnectedState) {
            m_socket.abort();
            m_socket.connectToHost("127.0.0.1", m_port);
        }
        m_done = std::move(done);
        m_buffer.clear();
        m_waiting = true;
        m_clock.start();
        m_socket.write("GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
    }

private:
    void read()
    {
        m_buffer += m_socket.readAll();
        const qsizetype end = m_buffer.indexOf("\r\n\r\n");
        if (!m_waiting || end < 0)
            return;
        const QByteArray head = m_buffer.left(end).toLower();
        const QRegularExpressionMatch m = QRegularExpression("content-length: *(\\d+)").match(QString::fromLatin1(head));
        const qsizetype length = m.hasMatch() ? m.captured(1).toLongLong() : 0;
        if (m_buffer.size() < end + 4 + length)
            return;
        m_waiting = false;
        m_stats.ms.push_back(double(m_clock.nsecsElapsed()) / 1e6);
        if (!head.startsWith("http/1.1 200"))
            ++m_stats.errors;
        if (m_done)
            m_done(m_buffer.mid(end + 4, length));
    }

    quint16 m_port;
    Stats& m_stats;
    QTcpSocket m_socket;
    QByteArray m_buffer;
    QElapsedTimer m_clock;
    bool m_waiting = false;
    std::function<void(const QByteArray&)> m_done;
};

// Asks path n times one after another on one connection.
Stats timeSequential(quint16 port, const QByteArray& path, int n)
{
    Stats stats;
    Client client(port, stats);
    QEventLoop loop;
    int left = n;
    std::function<void()> next = [&] {
        if (left-- == 0) { loop.quit(); return; }
        client.ask(path, [&](const QByteArray&) { QTimer::singleShot(0, next); });
    };
    QTimer::singleShot(0, next);
    QTimer::singleShot(120000, &loop, &QEventLoop::quit);
    loop.exec();
    return stats;
}

void report(const char* what, Stats& s, double aimMs)
{
    std::printf("%-34s n=%4zu  median %7.1f ms  p99 %7.1f ms  max %7.1f ms  errors %d  %s\n", what, s.ms.size(),
                s.percentile(0.5), s.percentile(0.99), s.percentile(1.0), s.errors,
                s.percentile(0.99) < aimMs && s.errors == 0 ? "ok" : "MISSED");
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    QTemporaryDir temp;
    const QString dir = args.size() > 1 ? args[1] : temp.path();
    const int seconds = args.size() > 2 ? args[2].toInt() : 60;
    QDir().mkpath(dir);

    if (!QFileInfo::exists(QDir(dir).filePath("TZ360.db"))) {
        std::fprintf(stderr, "Making %d tests and %lld points in %s ...\n", kTests, static_cast<long long>(kPoints),
                     qPrintable(dir));
        QElapsedTimer made;
        made.start();
        makeDatabase(dir);
        std::fprintf(stderr, "  done in %.0f s\n", double(made.elapsed()) / 1000.0);
    }

    QString cli = qEnvironmentVariable("TZ360_CLI");
    if (cli.isEmpty())
        cli = QDir(app.applicationDirPath()).filePath("tz360-cli");
    QProcess serve;
    serve.setWorkingDirectory(dir);
    QElapsedTimer startup;
    startup.start();
    serve.start(cli, {"serve", "--listen", "127.0.0.1:0"});
    quint16 port = 0;
    QByteArray out;
    while (!port && serve.waitForReadyRead(10000)) {
        out += serve.readAllStandardOutput();
        const QRegularExpressionMatch m = QRegularExpression(":(\\d+)/").match(QString::fromUtf8(out));
        if (m.hasMatch())
            port = static_cast<quint16>(m.captured(1).toUInt());
    }
    if (!port)
        fail("tz360-cli serve did not start: " + QString::fromUtf8(serve.readAllStandardError()));
    std::printf("serve listening after %lld ms\n", static_cast<long long>(startup.elapsed()));

    Stats listPage = timeSequential(port, "/", 20);
    report("list page", listPage, 100);
    Stats listJson = timeSequential(port, "/api/tests?limit=50", 20);
    report("list JSON", listJson, 100);
    Stats filtered = timeSequential(port, "/?q=test+19&offset=50", 20);
    report("list page, filtered, page 2", filtered, 100);
    Stats big = timeSequential(port, "/api/tests/1/points", 5);
    report("300,000-point test, points JSON", big, 500);
    Stats bigPage = timeSequential(port, "/tests/1", 3);
    report("300,000-point test, page (info)", bigPage, 1e9);

    // The running test gets a point every second from this process, as a
    // recording workstation would store it.
    clsConnection writer;
    writer.OpenDB("", "", "", "", dir);
    QSqlQuery add(writer.ADOConnection());
    add.prepare("INSERT INTO TEST_RESULT (TEST_ID, RAMP_NO, RAMP_STEP_NO, RESULT_TIME, RESULT_SAMPLE_TEMP, "
                "RESULT_PRESS, RESULT_SHEAR_RATE, RESULT_SHEAR_STRESS, RESULT_TYPE_ID, RESULT_BATH_TEMP) "
                "VALUES (?, 7, 0, ?, 200, 500, 100, 200, 0, 202)");
    double nextTime = 3600;
    QTimer recorder;
    QObject::connect(&recorder, &QTimer::timeout, [&] {
        add.addBindValue(kTests);
        add.addBindValue(nextTime++);
        exec(add);
    });
    recorder.start(1000);

    Stats polls;
    std::vector<std::unique_ptr<Client>> clients;
    std::vector<double> last(kClients, 3598);
    std::vector<std::unique_ptr<QTimer>> timers;
    const QRegularExpression lastTime("\"last_time\":([0-9.e+-]+)");
    for (int i = 0; i < kClients; ++i) {
        clients.push_back(std::make_unique<Client>(port, polls));
        auto timer = std::make_unique<QTimer>();
        Client* client = clients.back().get();
        double* seen = &last[size_t(i)];
        QObject::connect(timer.get(), &QTimer::timeout, [client, seen, &lastTime] {
            client->ask(QStringLiteral("/api/tests/%1/points?after=%2").arg(kTests).arg(*seen).toLatin1(),
                        [seen, &lastTime](const QByteArray& body) {
                            const QRegularExpressionMatch m = lastTime.match(QString::fromLatin1(body));
                            if (m.hasMatch())
                                *seen = m.captured(1).toDouble();
                        });
        });
        // Spread over the second, as browsers opened at different moments.
        QTimer::singleShot(i * 1000 / kClients, timer.get(), [t = timer.get()] { t->start(1000); });
        timers.push_back(std::move(timer));
    }
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    for (auto& t : timers)
        t->stop();
    recorder.stop();
    report("50 clients polling, 1/s", polls, 100);
    const bool allCaughtUp = std::all_of(last.begin(), last.end(), [&](double t) { return t >= nextTime - 3; });
    std::printf("every client saw the newest points: %s\n", allCaughtUp ? "yes" : "NO");

    serve.terminate();
    serve.waitForFinished(10000);
    return 0;
}
