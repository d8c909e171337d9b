#pragma once
// Steps the unit-window tests share: the working folder's files, and a test
// started as an operator does it, through Start and its dialog.
#include "instrument/frmRealTime.h"
#include "testinfo/ui/TestInfoDialog.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace tz::test {

inline void writeFile(const QString& name, const QByteArray& text)
{
    QFile f(name);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text);
}

// Starts a test of this name through the "Start" button and its dialog.
inline void startTest(frmRealTime& unit, const QString& name)
{
    QTimer::singleShot(0, [name] {
        auto* dialog = qobject_cast<TestInfoDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        dialog->findChild<QLineEdit*>("txtTestName")->setText(name);
        dialog->findChild<QPushButton*>("cmdOK")->click();
    });
    unit.startClicked();
}

}  // namespace tz::test
