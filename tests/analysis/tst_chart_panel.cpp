// placeholder
#include <QTest>
class TestChartPanel : public QObject { Q_OBJECT };
QTEST_MAIN(TestChartPanel)
#include "tst_chart_panel.moc"
