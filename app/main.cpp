// tz360: the workstation. Runs in the working directory that holds TZ360.db,
// initial.txt and BOBINFO.TXT.
#include "app/Workstation.h"
#include "app/ui/Prompt.h"
#include "app/ui/frmMain.h"
#include "calibration/BobFile.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TZ360"));
    QApplication::setOrganizationName(QStringLiteral("TZ360"));
    // The main window decides when the program ends (its exit check), not the
    // last visible window: it hides itself while the setup window is open.
    QApplication::setQuitOnLastWindowClosed(false);

    // A fresh installation has no bob file; every unit starts with the B5 bob.
    tz::BobFile::ensureExists(tz::BobFile::defaultPath());

    tz::Workstation workstation;
    tz::DialogPrompt prompt;
    tz::frmMain main(workstation, prompt);
    QObject::connect(&main, &tz::frmMain::programEnded, &app, &QApplication::quit,
                     Qt::QueuedConnection);
    // Windows ending the session ends the program at once, without the exit check.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &main, &tz::frmMain::exitProgram);
    main.load();
    main.show();
    return app.exec();
}
