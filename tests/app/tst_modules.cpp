// The run-time modules are found beside the program (here: at the top of the
// build tree) and a missing module or entry point is said, never a crash.
#include "app/Modules.h"
#include "reports/SheetContent.h"

#include <QTest>

class TestModules : public QObject {
    Q_OBJECT
private slots:
    void foundOnceAndKept()
    {
        QString error;
        const QFunctionPointer first = tz::moduleFunction(QLatin1String(tz::kWorkbookModule), tz::kWriteWorkbook, &error);
        QVERIFY2(first, qPrintable(error));
        QVERIFY(tz::moduleFunction(QLatin1String(tz::kWorkbookModule), tz::kWriteWorkbook, &error) == first);
    }

    void missingModuleOrEntryIsSaid()
    {
        QString error;
        QVERIFY(!tz::moduleFunction(QStringLiteral("tz360-nothing.so"), "tz360_anything", &error));
        QCOMPARE(error, QStringLiteral("tz360-nothing.so is not installed beside the program."));

        error.clear();
        QVERIFY(!tz::moduleFunction(QLatin1String(tz::kWorkbookModule), "tz360_no_such_entry", &error));
        QVERIFY2(error.contains(QLatin1String("tz360_no_such_entry")), qPrintable(error));
    }
};

QTEST_MAIN(TestModules)
#include "tst_modules.moc"
