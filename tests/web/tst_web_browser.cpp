// The web view in a real browser: headless chromium, driven through its
// DevTools pipe, opens the page of a test that tz360-cli run is recording
// against tz360-sim, and new points appear on it without a reload. The list
// and the test page are also saved as 1280x800 screenshots (in
// TZ360_SCREENSHOT_DIR, else screenshots/ beside this test program) for a
// person to look at.
#include "WebClient.h"
#include "tests/support/SimulatedUnitProcess.h"

#include <QCoreApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <fcntl.h>
#include <unistd.h>

using namespace webtest;

namespace {

constexpr const char* kScale = "20";

// Chromium's DevTools protocol over --remote-debugging-pipe: JSON messages
// ended by a NUL byte, written to its fd 3 and read from its fd 4.
class DevTools {
public:
    bool start(const QString& browser, const QString& profileDir)
    {
        if (::pipe2(m_toBrowser, O_CLOEXEC) != 0 || ::pipe2(m_fromBrowser, O_CLOEXEC) != 0)
            return false;
        const int readEnd = m_toBrowser[0], writeEnd = m_fromBrowser[1];
        m_process.setChildProcessModifier([readEnd, writeEnd] {
            ::dup2(readEnd, 3);
            ::dup2(writeEnd, 4);
        });
        m_process.start(browser, {"--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
                                  "--no-proxy-server", "--hide-scrollbars", "--remote-debugging-pipe",
                                  "--window-size=1280,800", "--user-data-dir=" + profileDir, "about:blank"});
        ::close(m_toBrowser[0]);
        ::close(m_fromBrowser[1]);
        ::fcntl(m_fromBrowser[0], F_SETFL, O_NONBLOCK);
        return m_process.waitForStarted(10000);
    }

    ~DevTools()
    {
        if (m_toBrowser[1] >= 0) ::close(m_toBrowser[1]);
        if (m_fromBrowser[0] >= 0) ::close(m_fromBrowser[0]);
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }

    // Sends one command and waits for its answer ("result"), skipping events.
    QJsonObject call(const QString& method, const QJsonObject& params = {}, const QString& session = {})
    {
        QJsonObject message{{"id", ++m_id}, {"method", method}, {"params", params}};
        if (!session.isEmpty())
            message.insert("sessionId", session);
        const QByteArray bytes = QJsonDocument(message).toJson(QJsonDocument::Compact) + '\0';
        if (::write(m_toBrowser[1], bytes.constData(), static_cast<size_t>(bytes.size())) != bytes.size())
            return {};
        QDeadlineTimer deadline(20000);
        while (!deadline.hasExpired()) {
            const qsizetype end = m_buffer.indexOf('\0');
            if (end >= 0) {
                const QJsonObject reply = QJsonDocument::fromJson(m_buffer.left(end)).object();
                m_buffer.remove(0, end + 1);
                if (reply.value("id").toInt() == m_id)
                    return reply;
                continue;
            }
            char chunk[65536];
            const ssize_t n = ::read(m_fromBrowser[0], chunk, sizeof chunk);
            if (n > 0)
                m_buffer.append(chunk, n);
            else
                QThread::msleep(20);
        }
        return {};
    }

    // The value of a JavaScript expression in the page.
    QJsonValue evaluate(const QString& session, const QString& expression)
    {
        return call("Runtime.evaluate", {{"expression", expression}, {"returnByValue", true}}, session)
            .value("result").toObject().value("result").toObject().value("value");
    }

    // A new 1280x800 page to drive; its session id, empty on failure.
    QString openPage()
    {
        const QString target = call("Target.createTarget", {{"url", "about:blank"}})
                                   .value("result").toObject().value("targetId").toString();
        if (target.isEmpty())
            return {};
        const QString session = call("Target.attachToTarget", {{"targetId", target}, {"flatten", true}})
                                    .value("result").toObject().value("sessionId").toString();
        if (!session.isEmpty())
            call("Emulation.setDeviceMetricsOverride",
                 {{"width", 1280}, {"height", 800}, {"deviceScaleFactor", 1}, {"mobile", false}}, session);
        return session;
    }

    // Polls a JavaScript condition until it holds or the time is up.
    bool waitFor(const QString& session, const QString& condition, int ms)
    {
        QDeadlineTimer deadline(ms);
        while (!evaluate(session, condition).toBool()) {
            if (deadline.hasExpired())
                return false;
            QThread::msleep(100);
        }
        return true;
    }

    bool screenshot(const QString& session, const QString& file)
    {
        const QByteArray png = QByteArray::fromBase64(
            call("Page.captureScreenshot", {{"format", "png"}}, session).value("result").toObject().value("data").toString().toLatin1());
        QFile out(file);
        return !png.isEmpty() && out.open(QIODevice::WriteOnly) && out.write(png) == png.size();
    }

private:
    QProcess m_process;
    int m_toBrowser[2] = {-1, -1};
    int m_fromBrowser[2] = {-1, -1};
    int m_id = 0;
    QByteArray m_buffer;
};

QString browserPath()
{
    for (const char* name : {"chromium", "chromium-browser", "google-chrome"}) {
        const QString found = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!found.isEmpty())
            return found;
    }
    return {};
}

}  // namespace

class TestWebBrowser : public QObject {
    Q_OBJECT
private slots:
    void runningTestFollowsInBrowser()
    {
        const QString browser = browserPath();
        if (browser.isEmpty())
            QSKIP("chromium is not installed (scripts/install-deps.sh installs it)");
        if (qEnvironmentVariable("TZ360_CLI").isEmpty() || qEnvironmentVariable("TZ360_SIM").isEmpty())
            QSKIP("TZ360_CLI / TZ360_SIM are not set (run through ctest)");

        QTemporaryDir bench;
        QProcess demo;
        demo.setWorkingDirectory(bench.path());
        demo.start(qEnvironmentVariable("TZ360_CLI"), {"add-demo-sequence"});
        QVERIFY(demo.waitForFinished(20000) && demo.exitCode() == 0);

        QObject owner;
        QProcess* sim = tz::test::startSimulatedUnit(&owner, bench.path(), 1, kScale, {"--fluid", "zirconate"});
        QVERIFY(sim);
        QProcess run;
        run.setWorkingDirectory(bench.path());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("TZ360_TIME_SCALE", kScale);
        run.setProcessEnvironment(env);
        run.start(qEnvironmentVariable("TZ360_CLI"),
                  {"run", "--comm", "1", "--sequence", "Demo", "--test", "Zirconate <live>", "--fluid", "YF-4 & breaker"});
        QVERIFY(run.waitForStarted());
        const auto stopAll = qScopeGuard([&] {
            run.terminate();
            run.waitForFinished(10000);
            sim->kill();
            sim->waitForFinished(5000);
        });
        // A few points recorded first.
        QDeadlineTimer recorded(20000);
        while (run.readAllStandardOutput().count('\n') < 1 && !recorded.hasExpired())
            run.waitForReadyRead(200);

        ServeProcess serve(bench.path());
        QVERIFY2(serve.port(), qPrintable(serve.errors()));
        const QJsonObject list = QJsonDocument::fromJson(get(serve.port(), "/api/tests").body).object();
        QCOMPARE(list["tests"][0]["name"].toString(), "Zirconate <live>");
        QVERIFY(list["tests"][0]["running"].toBool());
        const int id = list["tests"][0]["id"].toInt();
        const QString base = QStringLiteral("http://127.0.0.1:%1").arg(serve.port());

        QTemporaryDir profile;
        DevTools tools;
        QVERIFY(tools.start(browser, profile.path()));
        const QString session = tools.openPage();
        QVERIFY(!session.isEmpty());
        tools.call("Page.navigate", {{"url", QStringLiteral("%1/tests/%2").arg(base).arg(id)}}, session);

        const QString count = "(function(){var m=document.getElementById('test');"
                              "return m && m.dataset.count ? Number(m.dataset.count) : -1;})()";
        QDeadlineTimer loaded(15000);
        int first = -1;
        while ((first = tools.evaluate(session, count).toInt(-1)) <= 0 && !loaded.hasExpired())
            QThread::msleep(100);
        QVERIFY2(first > 0, "the page did not load its points");
        // A mark that a reload would wipe out.
        tools.evaluate(session, "window.tzStillTheSamePage = true");
        QVERIFY(tools.evaluate(session, "document.title").toString().startsWith("Zirconate <live>"));

        QDeadlineTimer grew(15000);
        int later = first;
        while ((later = tools.evaluate(session, count).toInt(-1)) <= first && !grew.hasExpired())
            QThread::msleep(200);
        QVERIFY2(later > first, qPrintable(QStringLiteral("no new points after %1").arg(first)));
        QCOMPARE(tools.evaluate(session, "window.tzStillTheSamePage === true").toBool(), true);
        QVERIFY(tools.evaluate(session, "document.getElementById('status').textContent").toString()
                    .contains("following the running test"));
        // The charts are drawn: the viscosity canvas holds coloured pixels.
        QVERIFY(tools.evaluate(session, "(function(){var c=document.getElementById('chart-visc');"
                                        "var d=c.getContext('2d').getImageData(0,0,c.width,c.height).data;"
                                        "for(var i=0;i<d.length;i+=4){if(d[i+2]>150&&d[i]<60)return true;}"
                                        "return false;})()").toBool());

        const QString shots = qEnvironmentVariableIsEmpty("TZ360_SCREENSHOT_DIR")
            ? QDir(QCoreApplication::applicationDirPath()).filePath("screenshots")
            : qEnvironmentVariable("TZ360_SCREENSHOT_DIR");
        QDir().mkpath(shots);
        QVERIFY(tools.screenshot(session, shots + "/test-page-1280x800.png"));
        tools.call("Page.navigate", {{"url", base + "/"}}, session);
        QDeadlineTimer listed(10000);
        while (!tools.evaluate(session, "document.querySelectorAll('table.list tr').length > 1").toBool()
               && !listed.hasExpired())
            QThread::msleep(100);
        QVERIFY(tools.screenshot(session, shots + "/test-list-1280x800.png"));
        qInfo("screenshots in %s", qPrintable(shots));
    }

    // Signing in from the login page: a wrong token is refused on the page,
    // the right one lets the browser in, and the token never shows in an
    // address (it would stay in the browser's history).
    void signInFromTheLoginPage()
    {
        const QString browser = browserPath();
        if (browser.isEmpty())
            QSKIP("chromium is not installed (scripts/install-deps.sh installs it)");
        if (qEnvironmentVariable("TZ360_CLI").isEmpty())
            QSKIP("TZ360_CLI is not set (run through ctest)");
        QTemporaryDir bench;
        QProcess demo;
        demo.setWorkingDirectory(bench.path());
        demo.start(qEnvironmentVariable("TZ360_CLI"), {"add-demo-sequence"});
        QVERIFY(demo.waitForFinished(20000) && demo.exitCode() == 0);
        const QByteArray token = "bench-token-0123456789";
        QFile file(bench.filePath("token.txt"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(token) == token.size());
        file.close();
        ServeProcess serve(bench.path(), {"--token-file", file.fileName()});
        QVERIFY2(serve.port(), qPrintable(serve.errors()));
        const QString base = QStringLiteral("http://127.0.0.1:%1").arg(serve.port());

        QTemporaryDir profile;
        DevTools tools;
        QVERIFY(tools.start(browser, profile.path()));
        const QString session = tools.openPage();
        QVERIFY(!session.isEmpty());
        tools.call("Page.navigate", {{"url", base + "/"}}, session);
        QVERIFY(tools.waitFor(session, "location.pathname === '/login' && document.readyState === 'complete'", 10000));

        const auto signIn = [&](const QByteArray& typed) {
            tools.evaluate(session, QStringLiteral("(function(){var f=document.getElementById('login');"
                                                   "document.getElementById('token').value='%1';f.requestSubmit();})()")
                                        .arg(QString::fromLatin1(typed)));
        };
        signIn("not-the-token-at-all");
        QVERIFY(tools.waitFor(session, "!document.getElementById('refused').hidden", 10000));
        QCOMPARE(tools.evaluate(session, "location.pathname").toString(), QStringLiteral("/login"));

        signIn(token);
        QVERIFY2(tools.waitFor(session, "location.pathname === '/' && document.readyState === 'complete' && !document.getElementById('login')", 10000),
                 "the right token did not lead to the test list");
        const QJsonArray history = tools.call("Page.getNavigationHistory", {}, session)
                                       .value("result").toObject().value("entries").toArray();
        QVERIFY(!history.isEmpty());
        for (const QJsonValue& entry : history)
            QVERIFY2(!entry.toObject().value("url").toString().contains(QString::fromLatin1(token)),
                     qPrintable(entry.toObject().value("url").toString()));
    }
};

QTEST_GUILESS_MAIN(TestWebBrowser)
#include "tst_web_browser.moc"
