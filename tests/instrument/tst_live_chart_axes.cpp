// The live chart's axes read as numbers a trainee can tell apart: on an
// empty chart and on a test of half a minute the tick labels are distinct
// and none is "-0".
#include "instrument/PointWriter.h"
#include "instrument/ui/LiveTestDisplay.h"

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QFrame>
#include <QTableWidget>
#include <QTest>
#include <QValueAxis>

using namespace tz;

namespace {

QStringList tickLabels(const QValueAxis* axis)
{
    QStringList labels;
    const int n = axis->tickCount();
    for (int i = 0; i < n; ++i) {
        const double v = axis->min() + (axis->max() - axis->min()) * i / (n - 1);
        labels << QString::asprintf(qPrintable(axis->labelFormat()), v);
    }
    return labels;
}

void checkAxes(const LiveTestDisplay& display)
{
    const auto axes = qobject_cast<QChartView*>(display.chartView())->chart()->axes();
    QCOMPARE(axes.size(), 3);
    for (QAbstractAxis* a : axes) {
        const auto* axis = qobject_cast<QValueAxis*>(a);
        QVERIFY(axis);
        QStringList labels = tickLabels(axis);
        QVERIFY2(labels.removeDuplicates() == 0, qPrintable(axis->titleText() + ": " + labels.join(", ")));
        for (const QString& l : labels)
            QVERIFY2(!l.startsWith(QLatin1String("-0")) || l.toDouble() != 0.0,
                     qPrintable(axis->titleText() + ": " + labels.join(", ")));
    }
}

}  // namespace

class TestLiveChartAxes : public QObject {
    Q_OBJECT
private slots:
    void emptyChart()
    {
        QTableWidget grid(1, 12);
        QFrame frame;
        LiveTestDisplay display(grid, frame, 1);
        checkAxes(display);
    }

    // Three step points 10 s apart: the time axis spans a third of a minute.
    void halfAMinuteTest()
    {
        QTableWidget grid(1, 12);
        QFrame frame;
        LiveTestDisplay display(grid, frame, 1);
        display.startTest(1.5987);
        QList<RecordedPoint> points;
        for (int i = 1; i <= 3; ++i)
            points.append({1, 1, 0, 10.0 * i, 75.0 + i, 500, 100, 50, 0, 76});
        display.addPoints(points);
        checkAxes(display);
        const auto* time = qobject_cast<QValueAxis*>(qobject_cast<QChartView*>(display.chartView())->chart()->axes(Qt::Horizontal).first());
        QCOMPARE(tickLabels(time).first(), QStringLiteral("0.17"));  // 10 s
    }
};

QTEST_MAIN(TestLiveChartAxes)
#include "tst_live_chart_axes.moc"
