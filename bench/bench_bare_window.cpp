// The floor for the workstation's start-up: the smallest Qt program with a
// main window (a QMainWindow holding one label), started on the same display
// by bench_startup.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Bare Qt window"));
    window.setCentralWidget(new QLabel(QStringLiteral("Bare Qt window")));
    window.show();
    return app.exec();
}
