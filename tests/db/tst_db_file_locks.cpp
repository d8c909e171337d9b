// The save dialogs of the workstation browse the working folder, where
// TZ360.db, its -wal and its -shm lie, while the workstation's own connection
// holds them open. On POSIX systems closing any other descriptor of those
// files drops every lock the process holds on them; another process (here
// tz360-cli list) then believes it is the last user, checkpoints and deletes
// the WAL, and the points the workstation records afterwards reach no other
// reader. Each dialog is opened and cancelled, then a second process opens
// and closes the database, then the workstation records a point that a third
// process must see.
#include "analysis/OpenedTestSession.h"
#include "workstation/Workstation.h"
#include "workstation/frmMain.h"
#include "calibration/frmCalibrateTorque.h"
#include "tests/analysis/StoredTests.h"
#include "tests/support/ScriptedPrompt.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QPointer>
#include <QPrintDialog>
#include <QProcess>
#include <QPushButton>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <functional>
#include <map>
#include <memory>

using namespace tz;

namespace {

// Cancels the first file dialog that shows once it has listed its folder
// (and had every chance to look at the files in it). A print dialog is first
// set to print to a file in the working folder and its file browser opened;
// it is cancelled after that file dialog.
class DialogCanceller : public QObject {
public:
    explicit DialogCanceller(QString folder) : m_folder(std::move(folder))
    {
        m_poll.setInterval(20);
        connect(&m_poll, &QTimer::timeout, this, &DialogCanceller::poll);
        m_poll.start();
        m_since.start();
    }
    bool sawFileDialog() const { return m_fileDialogsSeen > 0; }
    QString folderShown() const { return m_folderShown; }

private:
    template <typename T> static T* visible()
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<T*>(w); d && d->isVisible())
                return d;
        return nullptr;
    }

    void poll()
    {
        if (m_fileDialog) {
            // A listed folder has its files' details fetched right after;
            // give that time, whether or not the loaded signal was seen.
            if ((m_loaded && m_since.elapsed() > 1500) || m_since.elapsed() > 4000) {
                m_fileDialog->reject();
                m_fileDialog = nullptr;
            }
            return;
        }
        if (auto* files = visible<QFileDialog>()) {
            m_fileDialog = files;
            ++m_fileDialogsSeen;
            m_folderShown = files->directory().absolutePath();
            m_since.restart();
            if (auto* model = files->findChild<QFileSystemModel*>())
                connect(model, &QFileSystemModel::directoryLoaded, this, [this] { m_loaded = true; });
            return;
        }
        if (auto* print = visible<QPrintDialog>()) {
            if (m_fileDialogsSeen > 0) {
                print->reject();
                m_poll.stop();
            } else if (!m_browsing) {
                m_browsing = true;
                if (auto* printers = print->findChild<QComboBox*>("printers"))
                    printers->setCurrentIndex(printers->count() - 1);  // "Print to File (PDF)"
                if (auto* name = print->findChild<QLineEdit*>("filename"))
                    name->setText(QDir(m_folder).filePath("chart.pdf"));
                if (auto* browse = print->findChild<QToolButton*>("fileBrowser"))
                    QTimer::singleShot(0, browse, &QToolButton::click);
            }
            return;
        }
        if (m_fileDialogsSeen > 0 || m_since.elapsed() > 15000)
            m_poll.stop();  // done, or none came: the test's own check reports it
    }

    QString m_folder;
    QTimer m_poll;
    QElapsedTimer m_since;
    QPointer<QFileDialog> m_fileDialog;
    int m_fileDialogsSeen = 0;
    bool m_loaded = false;
    bool m_browsing = false;
    QString m_folderShown;
};

}  // namespace

class TestDbFileLocks : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString oldDir;
    std::unique_ptr<Workstation> ws;
    std::unique_ptr<ScriptedPrompt> prompt;
    std::unique_ptr<frmMain> w;
    int marker = 9000;  // RESULT_TIME of the points recorded by the test

    QString dbPath() const { return dir.filePath("TZ360.db"); }

    // Runs tz360-cli in the working folder; its exit code, output in out.
    int cli(const QStringList& args, QByteArray* out = nullptr)
    {
        QProcess p;
        p.setWorkingDirectory(dir.path());
        p.start(qEnvironmentVariable("TZ360_CLI"), args);
        if (!p.waitForFinished(60000))
            return -1;
        if (out)
            *out = p.readAllStandardOutput();
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }

    // How many points with RESULT_TIME = time another process sees.
    int pointsSeenElsewhere(int time)
    {
        const QString sqlite = QStandardPaths::findExecutable("sqlite3");
        if (sqlite.isEmpty())
            return -2;
        QProcess p;
        p.start(sqlite, {dbPath(), QStringLiteral("SELECT count(*) FROM TEST_RESULT WHERE RESULT_TIME = %1;").arg(time)});
        if (!p.waitForFinished(60000) || p.exitCode() != 0)
            return -1;
        return p.readAllStandardOutput().trimmed().toInt();
    }

    // A point recorded through the workstation's open connection.
    void recordPoint(int time)
    {
        QSqlQuery q(ws->connection.ADOConnection());
        QVERIFY2(q.exec(QStringLiteral("INSERT INTO TEST_RESULT (TEST_ID, RAMP_NO, RAMP_STEP_NO, RESULT_TIME,"
                                       " RESULT_SAMPLE_TEMP, RESULT_PRESS, RESULT_SHEAR_RATE, RESULT_SHEAR_STRESS,"
                                       " RESULT_TYPE_ID, RESULT_BATH_TEMP) VALUES (1, 1, 0, %1, 212, 500, 100, 200, 0, 210)")
                             .arg(time)),
                 qPrintable(q.lastError().text()));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(!qEnvironmentVariable("TZ360_CLI").isEmpty());
        QVERIFY2(!QStandardPaths::findExecutable("sqlite3").isEmpty(),
                 "sqlite3 is missing (scripts/install-deps.sh installs it)");
        oldDir = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        ws = std::make_unique<Workstation>();
        prompt = std::make_unique<ScriptedPrompt>();
        w = std::make_unique<frmMain>(*ws, *prompt);
        w->load();
        QVERIFY2(ws->connection.isOpen(), qPrintable(ws->connection.lastError()));
        QCOMPARE(ws->connection.fileName(), dbPath());
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        fixture::storeTest(ws->connection, "Gel 30 HT", fixture::powerLawPoints(2, 0.5, 0.2));
        QVERIFY(w->openedTest().open("Gel 30 HT"));
        // The files a dialog would find: the database in WAL mode, in use.
        QVERIFY(QFileInfo::exists(dbPath() + "-wal"));
        QVERIFY(QFileInfo::exists(dbPath() + "-shm"));
    }
    void cleanupTestCase()
    {
        w.reset();
        ws.reset();
        QDir::setCurrent(oldDir);
    }

    void dialogLeavesTheDatabaseToItsConnection_data()
    {
        QTest::addColumn<QString>("dialog");
        QTest::newRow("Save Chart") << "Save Chart";
        QTest::newRow("Brief Save") << "Brief Save";
        QTest::newRow("Brief Excel") << "Brief Excel";
        QTest::newRow("calibration report") << "calibration report";
        // Qt's own dialog: "Print to file" and its file browser.
        QTest::newRow("Print Chart to file") << "Print Chart to file";
    }
    void dialogLeavesTheDatabaseToItsConnection()
    {
        QFETCH(QString, dialog);
        const std::map<QString, std::function<void()>> open = {
            {"Save Chart", [this] { w->findChild<QAction*>("MenuSaveChart")->trigger(); }},
            {"Brief Save", [this] { w->findChild<QPushButton*>("cmdBriefPrint")->click(); }},
            {"Brief Excel", [this] { w->findChild<QPushButton*>("cmdExportExcel")->click(); }},
            {"Print Chart to file", [this] { w->findChild<QPushButton*>("cmdPrintChart")->click(); }},
            {"calibration report",
             [this] {
                 frmCalibrateTorque calibration(*prompt);
                 calibration.show();
                 QVERIFY(QTest::qWaitForWindowExposed(&calibration));
                 calibration.findChild<QPushButton*>("cmdExport")->click();
             }},
        };

        {
            DialogCanceller canceller(dir.path());
            open.at(dialog)();
            QVERIFY2(canceller.sawFileDialog(), "no file dialog was shown");
            QCOMPARE(QFileInfo(canceller.folderShown()).canonicalFilePath(), QFileInfo(dir.path()).canonicalFilePath());
        }
        QTRY_VERIFY(QApplication::activeModalWidget() == nullptr);

        // A second process opens and closes the database...
        QByteArray listed;
        QCOMPARE(cli({"list"}, &listed), 0);
        QVERIFY2(listed.contains("Gel 30 HT"), listed.constData());
        // ...and finds the workstation still holding it: the WAL stays.
        QVERIFY2(QFileInfo::exists(dbPath() + "-wal"), "the WAL was checkpointed and deleted under the workstation");

        // The workstation's next point reaches every other reader.
        ++marker;
        recordPoint(marker);
        QCOMPARE(pointsSeenElsewhere(marker), 1);
    }
};

QTEST_MAIN(TestDbFileLocks)
#include "tst_db_file_locks.moc"
