// The insert-step and shear-rate dialogs: their bounds, messages and focus.
#include "app/Settings.h"
#include "setup/frmInsertStep.h"
#include "setup/frmShearRate.h"
#include "app/ui/TitleWidth.h"
#include "tests/support/ScriptedPrompt.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using tz::ScriptedPrompt;

class TestSetupDialogs : public QObject {
    Q_OBJECT

private slots:
    void insertStepBounds_data();
    void insertStepBounds();
    void insertStepPlaceAndCancel();
    void insertStepLeavingShearRateBox();
    void shearRateTriples_data();
    void shearRateTriples();
};

void TestSetupDialogs::insertStepBounds_data() {
    QTest::addColumn<int>("unitSystem");
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("temp");
    QTest::addColumn<QString>("rate");
    QTest::addColumn<QString>("text");  // empty: accepted
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("focus");

    const QString ok;
    const QString t = QStringLiteral("Invalid time inpute."), tt = QStringLiteral("Time input out range");
    const QString p = QStringLiteral("Invalid temperature inpute."),
                  pt = QStringLiteral("Temperature input out range");
    const QString s = QStringLiteral("Invalid shear rate inpute."),
                  st = QStringLiteral("Shear rate input out range");
    QTest::newRow("time 60000") << 1 << "60000" << "200" << "100" << ok << ok << ok;
    QTest::newRow("time 60001") << 1 << "60001" << "200" << "100" << t << tt << "txtTime";
    QTest::newRow("time -1") << 1 << "-1" << "200" << "100" << t << tt << "txtTime";
    QTest::newRow("450 F") << 1 << "10" << "450" << "100" << ok << ok << ok;
    QTest::newRow("451 F") << 1 << "10" << "451" << "100" << p << pt << "txtTemp";
    QTest::newRow("232.3 C") << 3 << "10" << "232.3" << "100" << ok << ok << ok;
    QTest::newRow("232.4 C") << 3 << "10" << "232.4" << "100" << p << pt << "txtTemp";
    QTest::newRow("232.4 C in EI") << 2 << "10" << "232.4" << "100" << p << pt << "txtTemp";
    QTest::newRow("rate -0.01") << 1 << "10" << "200" << "-0.01" << ok << ok << ok;
    QTest::newRow("rate -0.02") << 1 << "10" << "200" << "-0.02" << s << st << "txtShearrate";
    QTest::newRow("rate 9000") << 1 << "10" << "200" << "9000" << ok << ok << ok;
    QTest::newRow("rate 9000.5") << 1 << "10" << "200" << "9000.5" << s << st << "txtShearrate";
    QTest::newRow("time checked first") << 1 << "60001" << "451" << "-1" << t << tt << "txtTime";
}

void TestSetupDialogs::insertStepBounds() {
    QFETCH(int, unitSystem);
    QFETCH(QString, time);
    QFETCH(QString, temp);
    QFETCH(QString, rate);
    QFETCH(QString, text);
    QFETCH(QString, title);
    QFETCH(QString, focus);

    tz::Settings settings;
    settings.unitSystem = unitSystem;
    ScriptedPrompt prompt;
    frmInsertStep dialog(settings, prompt);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    dialog.findChild<QLineEdit*>("txtTime")->setText(time);
    dialog.findChild<QLineEdit*>("txtTemp")->setText(temp);
    dialog.findChild<QLineEdit*>("txtTempError")->setText(QStringLiteral("5"));
    dialog.findChild<QLineEdit*>("txtShearrate")->setText(rate);
    dialog.findChild<QPushButton*>("cmdOK")->click();
    QApplication::processEvents();

    if (text.isEmpty()) {
        QVERIFY2(prompt.shown.isEmpty(), qPrintable(prompt.lastText()));
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(!dialog.CancelInp());
        QCOMPARE(dialog.time(), time.toDouble());
        QCOMPARE(dialog.Temp(), temp.toDouble());
        QCOMPARE(dialog.TempError(), 5.0);
        QCOMPARE(dialog.ShearRate(), rate.toDouble());
    } else {
        QCOMPARE(prompt.shown.size(), 1);
        QCOMPARE(prompt.shown[0].text, text);
        QCOMPARE(prompt.shown[0].title, title);
        QVERIFY(dialog.isVisible());
        QCOMPARE(QApplication::focusWidget(), dialog.findChild<QLineEdit*>(focus));
    }
}

void TestSetupDialogs::insertStepPlaceAndCancel() {
    tz::Settings settings;
    settings.unitSystem = tz::UnitCGS;
    ScriptedPrompt prompt;
    frmInsertStep dialog(settings, prompt);
    auto* place = dialog.findChild<QComboBox*>("cmbBeforeAfter");
    QCOMPARE(place->currentText(), QStringLiteral("before"));
    QVERIFY(dialog.Before());
    place->setCurrentIndex(1);
    QVERIFY(!dialog.Before());
    place->setCurrentIndex(0);
    QVERIFY(dialog.Before());

    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    // It opens in the first box the operator fills, not the read-only step number.
    QCOMPARE(QApplication::focusWidget(), dialog.findChild<QLineEdit*>("txtTime"));
    // Typing into the place list puts it back on "before"; the arrows choose.
    place->setFocus();
    QTest::keyClick(place, Qt::Key_Down);
    QCOMPARE(place->currentText(), QStringLiteral("after"));
    QVERIFY(!dialog.Before());
    for (Qt::Key key : {Qt::Key_A, Qt::Key_B, Qt::Key_1}) {
        QTest::keyClick(place, key);
        QCOMPARE(place->currentText(), QStringLiteral("before"));
        QVERIFY(dialog.Before());
    }
    QTest::keyClick(place, Qt::Key_Down);
    QTest::keyClicks(place, "af");
    QCOMPARE(place->currentText(), QStringLiteral("before"));
    // Tab never stops in the step number.
    for (int i = 0; i < 8; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QVERIFY(QApplication::focusWidget() != dialog.findChild<QLineEdit*>("txtStepNo"));
    }

    dialog.findChild<QPushButton*>("cmdCancel")->click();
    QVERIFY(dialog.CancelInp());
    QVERIFY(!dialog.isVisible());
    QVERIFY(prompt.shown.isEmpty());
}

void TestSetupDialogs::insertStepLeavingShearRateBox() {
    tz::Settings settings;
    settings.unitSystem = tz::UnitCGS;
    ScriptedPrompt prompt;
    frmInsertStep dialog(settings, prompt);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    auto* rate = dialog.findChild<QLineEdit*>("txtShearrate");
    auto* time = dialog.findChild<QLineEdit*>("txtTime");

    rate->setFocus();
    rate->setText(QStringLiteral("90000"));
    time->setFocus();
    QTest::qWait(20);
    QVERIFY(prompt.shown.isEmpty());

    rate->setFocus();
    rate->setText(QStringLiteral("90000.5"));
    time->setFocus();
    QTRY_COMPARE(prompt.shown.size(), 1);
    QCOMPARE(prompt.shown[0].text, QStringLiteral("Invalid shear rate inpute."));
    QCOMPARE(prompt.shown[0].title, QStringLiteral("Shear rate input out of range. Please try again."));
    QCOMPARE(QApplication::focusWidget(), rate);
}

void TestSetupDialogs::shearRateTriples_data() {
    QTest::addColumn<QString>("r1");
    QTest::addColumn<QString>("r2");
    QTest::addColumn<QString>("r3");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("40 100 170") << "40" << "100" << "170" << true;
    QTest::newRow("4999 9998 9999") << "4999" << "9998" << "9999" << true;
    QTest::newRow("100 100 170") << "100" << "100" << "170" << false;
    QTest::newRow("0 100 170") << "0" << "100" << "170" << false;
    QTest::newRow("40 100 10000") << "40" << "100" << "10000" << false;
    QTest::newRow("5000 6000 7000") << "5000" << "6000" << "7000" << false;
    QTest::newRow("40 170 100") << "40" << "170" << "100" << false;
    QTest::newRow("text") << "abc" << "100" << "170" << false;
}

void TestSetupDialogs::shearRateTriples() {
    QFETCH(QString, r1);
    QFETCH(QString, r2);
    QFETCH(QString, r3);
    QFETCH(bool, accepted);

    tz::Settings settings;
    settings.kPrimeUnit = 1;
    settings.shearRates = {10, 20, 30};
    ScriptedPrompt prompt;
    frmShearRate dialog(settings, prompt);
    QVERIFY(dialog.minimumWidth() >= tz::titleBarWidth(dialog.windowTitle()));
    // It opens on the usual rates, not the ones in use.
    QCOMPARE(dialog.findChild<QLineEdit*>("txtRate1")->text(), QStringLiteral("40"));
    QCOMPARE(dialog.findChild<QLineEdit*>("txtRate3")->text(), QStringLiteral("170"));
    QVERIFY(dialog.findChild<QRadioButton*>("Option1")->isChecked());
    dialog.show();
    dialog.findChild<QLineEdit*>("txtRate1")->setText(r1);
    dialog.findChild<QLineEdit*>("txtRate2")->setText(r2);
    dialog.findChild<QLineEdit*>("txtRate3")->setText(r3);
    dialog.findChild<QRadioButton*>("Option2")->setChecked(true);
    dialog.findChild<QPushButton*>("cmdOK")->click();

    if (accepted) {
        QVERIFY(prompt.shown.isEmpty());
        QVERIFY(!dialog.isVisible());
        QCOMPARE(settings.kPrimeUnit, 0);
        const std::array<double, 3> expected{r1.toDouble(), r2.toDouble(), r3.toDouble()};
        QCOMPARE(settings.shearRates, expected);
    } else {
        QCOMPARE(prompt.texts(),
                 QStringList{QStringLiteral("Invalid shear rate inputs. Shear Rate 1 should be less "
                                            "than Shear Rate 2 and Shear Rate 2 should be less than "
                                            "Shear Rate 3.")});
        QVERIFY(dialog.isVisible());
        // Refused rates never reach the grids that calculate with them; the
        // K' unit chosen is taken all the same.
        QCOMPARE(settings.kPrimeUnit, 0);
        QCOMPARE(settings.shearRates, (std::array<double, 3>{10, 20, 30}));
    }
}

QTEST_MAIN(TestSetupDialogs)
#include "tst_setup_dialogs.moc"
