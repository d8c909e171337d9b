// Alt + a letter does one thing in each window: no two visible buttons,
// labels, check boxes, group boxes or menu titles of a window share their
// underlined letter (a shared one only moves the focus between them).
#include "workstation/Workstation.h"
#include "workstation/frmMain.h"
#include "calibration/frmCalibrateTorque.h"
#include "db/TempDatabase.h"
#include "instrument/frmDynamic.h"
#include "instrument/frmMDIRealTime.h"
#include "instrument/frmRealTime.h"
#include "setup/frmInsertStep.h"
#include "setup/frmSetup.h"
#include "setup/frmShearRate.h"
#include "support/ScriptedPrompt.h"
#include "testinfo/frmOpenTest.h"
#include "testinfo/frmSearch.h"
#include "testinfo/frmTestRelatedInfo.h"

#include <QAbstractButton>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QTabWidget>
#include <QTest>

#include <functional>
#include <map>

using namespace tz;

namespace {

// The mnemonic letter of a caption ("&&" is a plain ampersand), 0 when none.
QChar mnemonic(const QString& text)
{
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != u'&')
            continue;
        if (text[i + 1] == u'&') {
            ++i;
            continue;
        }
        return text[i + 1].toLower();
    }
    return {};
}

// Captions by letter, for the controls an operator can reach now (the
// current page of a tab widget, not the hidden ones).
QStringList clashes(QWidget& window)
{
    std::map<QChar, QStringList> byLetter;
    auto note = [&](const QString& caption) {
        if (const QChar c = mnemonic(caption); !c.isNull())
            byLetter[c] << caption;
    };
    for (QWidget* w : window.findChildren<QWidget*>()) {
        if (!w->isVisibleTo(&window))
            continue;
        if (auto* b = qobject_cast<QAbstractButton*>(w))
            note(b->text());
        else if (auto* l = qobject_cast<QLabel*>(w); l && l->buddy())
            note(l->text());
        else if (auto* g = qobject_cast<QGroupBox*>(w); g && g->isCheckable())
            note(g->title());
        else if (auto* t = qobject_cast<QTabWidget*>(w))
            for (int i = 0; i < t->count(); ++i)
                note(t->tabText(i));
        else if (auto* m = qobject_cast<QMenuBar*>(w))
            for (QAction* a : m->actions())
                note(a->text());
    }
    QStringList out;
    for (const auto& [letter, captions] : byLetter)
        if (captions.size() > 1)
            out << QString(letter) + QStringLiteral(": ") + captions.join(QStringLiteral(" / "));
    return out;
}

}  // namespace

class TestAccelerators : public QObject {
    Q_OBJECT
    TempDatabase db;
    Workstation ws;
    ScriptedPrompt prompt;

    void check(QWidget& window)
    {
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QStringList found = clashes(window);
        QVERIFY2(found.isEmpty(), qPrintable(window.objectName() + " " + found.join(QStringLiteral("; "))));
    }

private slots:
    void initTestCase() { QVERIFY(QDir::setCurrent(db.dir.path())); }

    void mainWindow()
    {
        ws.connection.OpenDB({}, {}, {}, {}, db.dir.path());
        frmMain w(ws, prompt);
        w.load();
        check(w);
    }
    void unitWindow()
    {
        frmRealTime w(prompt);
        check(w);
    }
    // The frame's menu titles and a unit window inside it answer to the same Alt.
    void frameWithAUnit()
    {
        QFile settings(QStringLiteral("initial.txt"));
        QVERIFY(settings.open(QIODevice::WriteOnly));
        settings.write(" 9 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 3 \r\n 1 \r\n"
                       " 40            100           170 \r\n");
        settings.close();
        frmMDIRealTime frame(ws.settings, db.connection, prompt);
        frame.load();
        // Comm 9 is no device here: the window stays without a port.
        QVERIFY(frame.addRegularUnit(1));
        check(frame);
    }
    void dynamicWindow()
    {
        frmDynamic w(prompt);
        check(w);
    }
    void calibrationWindow()
    {
        frmCalibrateTorque w(prompt);
        check(w);
    }
    void setupWindow()
    {
        frmSetup w(ws.settings, db.connection, prompt);
        check(w);
    }
    void stepAndRateDialogs()
    {
        frmInsertStep step(ws.settings, prompt);
        check(step);
        frmShearRate rate(ws.settings, prompt);
        check(rate);
    }
    void testDialogs()
    {
        frmOpenTest open(db.connection, prompt);
        check(open);
        frmTestRelatedInfo info(db.connection, prompt);
        check(info);
        frmSearch search(prompt, db.dir.path());
        check(search);
    }
};

QTEST_MAIN(TestAccelerators)
#include "tst_accelerators.moc"
