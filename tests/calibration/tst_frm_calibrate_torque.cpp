// The calibration window against tz360-sim over real pseudo-terminals: whole
// calibrations (sound, too short, doubtful), the bob file, the report, the
// pressure effect, and the refusals while a calibration runs.
#include "workstation/Workstation.h"
#include "workstation/frmMain.h"
#include "calibration/frmCalibrateTorque.h"
#include "instrument/ProtocolCodec.h"
#include "instrument/StatusFrameReader.h"
#include "instrument/UnitLink.h"
#include "support/ScriptedPrompt.h"

#include <QApplication>
#include <QChartView>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QXYSeries>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <memory>

using namespace tz;

namespace {
const QString kPortError =
    "Error in opening the commport, please make sure the unit is not occupied.";

// initial.txt as the hardware tab writes it: units 2, 5 and 7 on Comm 1, 2 and 3.
const QByteArray kInitial = " 0 \r\n 1 \r\n 0 \r\n 0 \r\n 2 \r\n 0 \r\n 3 \r\n 0 \r\n 1 \r\n 1 \r\n"
                            " 40            100           170 \r\n";
const QByteArray kBobs = "B1\r\nB2\r\nXB1\r\nB5\r\nXB2\r\nB1\r\nB2\r\nXB5\r\n";

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}
}  // namespace

class TestFrmCalibrateTorque : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    QString oldDir_;
    std::vector<std::unique_ptr<QProcess>> sims_;

    // Starts tz360-sim as Comm comm; false when it did not come up.
    bool startSim(int comm, const QStringList& extra) {
        auto p = std::make_unique<QProcess>();
        p->setWorkingDirectory(dir_.path());
        p->start(qEnvironmentVariable("TZ360_SIM"),
                 QStringList{"--link", QString::number(comm), "--time-scale", "20", "--no-noise"} + extra);
        if (!p->waitForStarted()) return false;
        QElapsedTimer t;
        t.start();
        while (!p->canReadLine() && t.elapsed() < 5000) QTest::qWait(20);
        if (!p->readLine().startsWith("/dev/")) return false;
        sims_.push_back(std::move(p));
        return true;
    }

    // The polynomial the simulated unit says it took: seven coefficients, then the zero volt.
    static QList<double> polynomialTaken(QProcess& sim) {
        QElapsedTimer t;
        t.start();
        while (!sim.canReadLine() && t.elapsed() < 5000) QTest::qWait(20);
        const QByteArray line = sim.readLine().trimmed();
        if (!line.startsWith("calibration polynomial:")) return {};
        QList<double> values;
        for (const QByteArray& w : line.mid(23).split(' '))
            if (!w.isEmpty() && w != "zero" && w != "volt:") values << w.toDouble();
        return values;
    }

    template <class T>
    static T* child(QWidget& w, const char* name) {
        return w.findChild<T*>(QLatin1String(name));
    }

    static void start(frmCalibrateTorque& w, int entry, const QString& bob, const QString& visc) {
        child<QComboBox>(w, "cmbInstName")->setCurrentIndex(entry);
        child<QComboBox>(w, "cmbBobNo")->setCurrentText(bob);
        child<QLineEdit>(w, "txtVisc")->setText(visc);
        child<QLineEdit>(w, "txtChange")->setText("-0.5");
        QTest::mouseClick(child<QPushButton>(w, "cmdStart"), Qt::LeftButton);
    }

    static void screenshot(QWidget& w, const QString& name) {
        const QString folder = qEnvironmentVariable("TZ360_SCREENSHOTS");
        if (!folder.isEmpty()) w.grab().save(QDir(folder).filePath(name));
    }

private slots:
    void initTestCase() {
        // The window's one-second tick runs as fast as the simulated unit.
        qputenv("TZ360_TIME_SCALE", "20");
        oldDir_ = QDir::currentPath();
        QVERIFY(dir_.isValid());
        QVERIFY(QDir::setCurrent(dir_.path()));
    }
    void cleanupTestCase() {
        for (auto& p : sims_) {
            p->terminate();
            p->waitForFinished(5000);
        }
        QDir::setCurrent(oldDir_);
    }
    void init() {
        writeFile("initial.txt", kInitial);
        writeFile("BOBINFO.TXT", kBobs);
    }

    void listsTabsAndLayout() {
        ScriptedPrompt prompt;
        frmCalibrateTorque w(prompt);
        QCOMPARE(w.windowTitle(), QString("Torque Calibration"));
        auto* units = child<QComboBox>(w, "cmbInstName");
        QCOMPARE(units->count(), 3);
        QCOMPARE(units->itemText(0), QString("Unit  2"));
        QCOMPARE(units->itemText(2), QString("Unit  7"));
        QCOMPARE(units->currentIndex(), 0);
        auto* bobs = child<QComboBox>(w, "cmbBobNo");
        QStringList bobNames;
        for (int i = 0; i < bobs->count(); ++i) bobNames << bobs->itemText(i);
        QCOMPARE(bobNames, QStringList({"B5", "B2", "B1", "XB5", "XB2", "XB1"}));
        QCOMPARE(bobs->currentText(), QString("B5"));
        QCOMPARE(child<QTabWidget>(w, "TabStrip1")->currentIndex(), 0);

        // Fits a 1280x800 screen; at its minimum size the form and the graph do not overlap.
        QVERIFY(w.minimumWidth() <= 1280 && w.minimumHeight() <= 760);
        QVERIFY(w.width() <= 1280 && w.height() <= 760);
        w.resize(w.minimumSize());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        screenshot(w, "calibration-minimum-size.png");
        auto* graph = child<QChartView>(w, "CWGraph1");
        for (const char* name : {"cmbInstName", "txtVisc", "txtChange", "cmdStart", "cmdExport"}) {
            QWidget* c = child<QWidget>(w, name);
            const QRect r(c->mapTo(&w, QPoint()), c->size());
            const QRect g(graph->mapTo(&w, QPoint()), graph->size());
            QVERIFY2(!r.intersects(g), name);
            QVERIFY2(w.rect().contains(r), name);
        }

        // Tab walks the controls in reading order and leaves the graph out.
        QStringList order;
        QWidget* at = units;
        for (int i = 0; i < 7; ++i, at = at->nextInFocusChain()) {
            while (at->focusPolicy() == Qt::NoFocus || !at->isVisible()) at = at->nextInFocusChain();
            order << at->objectName();
        }
        QCOMPARE(order, QStringList({"cmbInstName", "cmbBobNo", "txtVisc", "txtChange", "cmdStart",
                                     "cmdExport", "cmdReturn"}));
    }

    void mainWindowOpensOneCalibrationWindow() {
        Workstation ws;
        ScriptedPrompt prompt;
        frmMain main(ws, prompt);
        main.load();
        auto* calibrate = child<QPushButton>(main, "cmdCalibrate");
        QVERIFY(calibrate->isEnabled());
        QTest::mouseClick(calibrate, Qt::LeftButton);
        QTest::mouseClick(calibrate, Qt::LeftButton);
        QList<frmCalibrateTorque*> open;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* c = qobject_cast<frmCalibrateTorque*>(w); c && c->isVisible()) open << c;
        QCOMPARE(open.size(), 1);
        QCOMPARE(open.first()->findChild<QComboBox*>("cmbInstName")->count(), 3);
        open.first()->close();
    }

    void viscosityIsChecked_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        const QString invalid = "Invalid input of viscosity value.";
        QTest::newRow("0") << "0" << invalid;
        QTest::newRow("20000") << "20000" << invalid;
        QTest::newRow("not a number") << "abc" << invalid;
        // Accepted: the start goes on to the port, which this file does not name.
        QTest::newRow("0.0001") << "0.0001" << kPortError;
        QTest::newRow("10000") << "10000" << kPortError;
    }
    void viscosityIsChecked() {
        QFETCH(QString, text);
        QFETCH(QString, shown);
        QFile::remove("initial.txt");  // no unit to open
        ScriptedPrompt prompt;
        frmCalibrateTorque w(prompt);
        start(w, -1, "B5", text);
        QCOMPARE(prompt.texts(), QStringList{shown});
        QVERIFY(!w.running());
        QCOMPARE(readAll("BOBINFO.TXT"), kBobs);
    }

    void wholeCalibrationOverTheLine() {
        if (qEnvironmentVariable("TZ360_SIM").isEmpty()) QSKIP("TZ360_SIM is not set (run through ctest)");
        QVERIFY(startSim(1, {}));
        QProcess& sim = *sims_.back();
        ScriptedPrompt prompt;
        frmCalibrateTorque w(prompt);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        start(w, 0, "XB5", "100");
        QVERIFY(prompt.shown.isEmpty());
        QVERIFY(w.running());
        QCOMPARE(w.statusText(), QString("Calibration in Progress."));
        QVERIFY(!child<QPushButton>(w, "cmdStart")->isEnabled());
        // Only unit 2's line names the bob now.
        QCOMPARE(readAll("BOBINFO.TXT"), QByteArray("B1\r\nXB5\r\nXB1\r\nB5\r\nXB2\r\nB1\r\nB2\r\nXB5\r\n"));

        // While it runs: the unit stays, Return and the close box are refused.
        QTRY_VERIFY_WITH_TIMEOUT(w.records().size() >= 8, 5000);
        child<QComboBox>(w, "cmbInstName")->setCurrentIndex(1);
        QCOMPARE(child<QComboBox>(w, "cmbInstName")->currentIndex(), 0);
        QTest::mouseClick(child<QPushButton>(w, "cmdReturn"), Qt::LeftButton);
        w.close();
        QVERIFY(w.isVisible());
        QCOMPARE(prompt.texts(), QStringList({"Calibrating current unit, can not change unit. ",
                                              "Please wait calibration finish before exit.",
                                              "Please wait calibration finish before exit."}));
        screenshot(w, "calibration-running.png");

        QTRY_VERIFY_WITH_TIMEOUT(!w.running(), 10000);
        QCOMPARE(prompt.shown.size(), 3);
        QCOMPARE(w.statusText(), QString("Calibration Finished Successfully."));
        QVERIFY(child<QPushButton>(w, "cmdStart")->isEnabled());

        // 20 records: the first at rest (0.5 V), the last at the unit's full
        // scale of 1000 dyn/cm2 on B5, converted to XB5 by 8.785 / 7.62.
        const double xb5 = 8.785 / 7.62;
        QCOMPARE(w.records().size(), 20);
        QCOMPARE(w.records().first().stress, 0.0);
        QCOMPARE(w.zeroVolt(), 0.5);
        QVERIFY(std::fabs(w.records().last().stress - 1000 * xb5) < 1e-9);
        QCOMPARE(w.records().last().voltage, 3.4);

        // The unit took a polynomial that reads its own transducer back:
        // 0.5 + 0.003 s - 1e-7 s^2 volts for a B5 stress s.
        const QList<double> taken = polynomialTaken(sim);
        QCOMPARE(taken.size(), 8);
        QCOMPARE(taken[5], 0.0);
        QCOMPARE(taken[6], 0.0);
        QCOMPARE(taken[7], 0.5);
        for (double s : {0.0, 250.0, 600.0, 1000.0}) {
            const double v = 0.5 + 0.003 * s - 1e-7 * s * s;
            double fitted = 0;
            for (int j = 4; j >= 0; --j) fitted = fitted * v + taken[j];
            QVERIFY2(std::fabs(fitted - s * xb5) < 0.01, qPrintable(QString::number(fitted)));
        }

        // The graph shows every record.
        const auto series = child<QChartView>(w, "CWGraph1")->chart()->series();
        QCOMPARE(series.size(), 2);
        for (QAbstractSeries* s : series) QCOMPARE(static_cast<QXYSeries*>(s)->count(), 20);
        screenshot(w, "calibration-finished.png");

        // The report names what the run was started with, even after the
        // controls have changed.
        child<QComboBox>(w, "cmbBobNo")->setCurrentText("B2");
        child<QLineEdit>(w, "txtVisc")->setText("55");
        const QString report = dir_.filePath("calibration report.txt");
        w.setFileChooser([&](QWidget*) { return std::optional<QString>(report); });
        QTest::mouseClick(child<QPushButton>(w, "cmdExport"), Qt::LeftButton);
        QCOMPARE(prompt.shown.size(), 3);
        const QList<QByteArray> lines = readAll(report).split('\n');
        QCOMPARE(lines.size(), 11 + 20 + 1);  // the last line end leaves an empty piece
        QCOMPARE(lines[0], QByteArray("Torque Calibration Report of TZ360 Rheometer.\r"));
        QVERIFY(lines[2].startsWith("Calibration Time:              "));
        QCOMPARE(lines[3], QByteArray("Instrument Unit:               Unit  2\r"));
        QCOMPARE(lines[4], QByteArray("Bob Size:                      XB5\r"));
        QCOMPARE(lines[5], QByteArray("Calibration Fluid Visc(cP):    100\r"));
        QCOMPARE(lines[6], QByteArray("Cali Fluid Visc Change per 1C: -0.5\r"));
        QCOMPARE(lines[8], QByteArray("ShearStress(dyn/cm2)            Voltage(vdc)\r"));
        QCOMPARE(lines[9], " 0 " + QByteArray(11, ' ') + " .5 \r");
        QCOMPARE(lines[29], QByteArray("   \r"));
        QVERIFY2(lines[30].startsWith("Least square error is: 0.99"), lines[30].constData());

        // Cancelling the file dialog says so, as the dialog's error does.
        w.setFileChooser([](QWidget*) { return std::optional<QString>(); });
        QTest::mouseClick(child<QPushButton>(w, "cmdExport"), Qt::LeftButton);
        QCOMPARE(prompt.lastText(), QString("Cancel was selected."));
        QCOMPARE(prompt.shown.last().icon, Prompt::Icon::Information);

        // The pressure-effect tab starts the unit's own run, which shows as
        // "Calibrating" in its status once the window has let go of the port.
        child<QTabWidget>(w, "TabStrip1")->setCurrentIndex(1);
        screenshot(w, "calibration-pressure-effect.png");
        QTest::mouseClick(child<QPushButton>(w, "Command1"), Qt::LeftButton);
        QCOMPARE(w.statusText(), QString("Pressure effect calibration in progress."));
        QTest::mouseClick(child<QPushButton>(w, "cmdReturn"), Qt::LeftButton);
        QVERIFY(!w.isVisible());
        UnitLink link;
        QVERIFY2(link.open(1), qPrintable(link.errorString()));
        StatusFrameReader reader;
        link.send(proto::statusPoll());
        QTRY_VERIFY_WITH_TIMEOUT((reader.read(link.takeAll()), reader.current().statusCode >= 0), 3000);
        QCOMPARE(reader.current().statusCode, 5);
    }

    // A unit that sends 12 records: the polynomial still goes out, then the
    // operator is told the calibration could not be checked. A missing bob
    // file is created with the B5 default before unit 5's line is set.
    void tooFewRecordsAreSaidPlainly() {
        if (qEnvironmentVariable("TZ360_SIM").isEmpty()) QSKIP("TZ360_SIM is not set (run through ctest)");
        QVERIFY(startSim(2, {"--calibration-records", "12"}));
        QFile::remove("BOBINFO.TXT");
        ScriptedPrompt prompt;
        frmCalibrateTorque w(prompt);
        start(w, 1, "B2", "50");
        QCOMPARE(readAll("BOBINFO.TXT"), QByteArray("B5\r\nB5\r\nB5\r\nB5\r\nB2\r\nB5\r\nB5\r\nB5\r\n"));
        QTRY_VERIFY_WITH_TIMEOUT(!w.running(), 10000);
        QCOMPARE(w.records().size(), 12);
        const QList<double> taken = polynomialTaken(*sims_.back());
        QCOMPARE(taken.size(), 8);
        QCOMPARE(taken.mid(2, 5), QList<double>(5, 0.0));  // order 1 for B2
        QCOMPARE(prompt.shown.size(), 1);
        QVERIFY2(prompt.lastText().contains("only 12 calibration records"), qPrintable(prompt.lastText()));
        QVERIFY(prompt.lastText().contains("polynomial was sent"));
    }

    void aRubbingShaftIsFlagged() {
        if (qEnvironmentVariable("TZ360_SIM").isEmpty()) QSKIP("TZ360_SIM is not set (run through ctest)");
        QVERIFY(startSim(3, {"--loose-bob-shaft"}));
        ScriptedPrompt prompt;
        frmCalibrateTorque w(prompt);
        start(w, 2, "B5", "100");
        QTRY_VERIFY_WITH_TIMEOUT(!w.running(), 10000);
        const QString warning = "Possible problem in calibration.  Please check bob shaft assembly.";
        QCOMPARE(w.statusText(), warning);
        QCOMPARE(prompt.texts(), QStringList{warning});
        QCOMPARE(polynomialTaken(*sims_.back()).size(), 8);
    }

    // A unit that never answers cannot hold the window open for good.
    void aSilentUnitIsGivenUp() {
        if (qEnvironmentVariable("TZ360_SIM").isEmpty()) QSKIP("TZ360_SIM is not set (run through ctest)");
        QVERIFY(startSim(5, {"--silent"}));
        writeFile("initial.txt", QByteArray(" 5 \r\n") + QByteArray(" 0 \r\n").repeated(7) + " 1 \r\n");
        ScriptedPrompt prompt;
        frmCalibrateTorque w(prompt);
        w.setSilenceLimit(10);
        start(w, 0, "B5", "100");
        QVERIFY(w.running());
        QTRY_VERIFY_WITH_TIMEOUT(!w.running(), 5000);
        QCOMPARE(prompt.shown.size(), 1);
        QVERIFY(prompt.lastText().startsWith("The unit sent nothing for 10 seconds"));
        QVERIFY(child<QPushButton>(w, "cmdStart")->isEnabled());
        w.close();
        QVERIFY(!w.isVisible());
    }

    void portAndBobFileProblemsStopTheStart() {
        // No device behind Comm 9.
        writeFile("initial.txt", QByteArray(" 9 \r\n") + QByteArray(" 0 \r\n").repeated(7) + " 1 \r\n");
        writeFile("comports.txt", "9 /dev/tz360-no-such-port\n");
        ScriptedPrompt prompt;
        {
            frmCalibrateTorque w(prompt);
            start(w, 0, "B1", "100");
            QCOMPARE(prompt.texts(), QStringList{kPortError});
            QVERIFY(w.statusText().contains("does not exist"));
            QVERIFY(!w.running());
            QVERIFY(child<QPushButton>(w, "cmdStart")->isEnabled());
            QCOMPARE(readAll("BOBINFO.TXT"), kBobs);
        }
        if (qEnvironmentVariable("TZ360_SIM").isEmpty()) return;
        // A bob file of five entries is refused and kept; the unit is not started.
        QVERIFY(startSim(4, {}));
        writeFile("initial.txt", QByteArray(" 4 \r\n") + QByteArray(" 0 \r\n").repeated(7) + " 1 \r\n");
        writeFile("BOBINFO.TXT", "B1\r\nB2\r\nB1\r\nB5\r\nB2\r\n");
        prompt.shown.clear();
        frmCalibrateTorque w(prompt);
        start(w, 0, "B1", "100");
        QCOMPARE(prompt.texts(), QStringList{kPortError});
        QVERIFY(!w.running());
        QCOMPARE(readAll("BOBINFO.TXT"), QByteArray("B1\r\nB2\r\nB1\r\nB5\r\nB2\r\n"));
        // The port was let go, and the unit never heard a start.
        UnitLink link;
        QVERIFY2(link.open(4), qPrintable(link.errorString()));
        StatusFrameReader reader;
        link.send(proto::statusPoll());
        QTRY_VERIFY_WITH_TIMEOUT((reader.read(link.takeAll()), reader.current().statusCode >= 0), 3000);
        QCOMPARE(reader.current().statusCode, 0);
    }
};

QTEST_MAIN(TestFrmCalibrateTorque)
#include "tst_frm_calibrate_torque.moc"
