// tz360: the workstation. Runs in the working directory that holds TZ360.db,
// initial.txt and BOBINFO.TXT.
#include "app/ErrorLog.h"
#include "workstation/Workstation.h"
#include "app/ui/ProgramIcon.h"
#include "app/ui/Prompt.h"
#include "workstation/frmMain.h"
#include "app/BobFile.h"
#include "instrument/JournalReplay.h"
#include "tz360_version.h"

#include <QApplication>
#include <QStatusBar>

#include <cstdio>
#include <future>

#include <fontconfig/fontconfig.h>

int main(int argc, char** argv) {
    // Answered before any window system is needed, so it works on a bare console.
    if (argc == 2 && qstrcmp(argv[1], "--version") == 0) return std::printf("tz360 " TZ360_VERSION "\n") < 0;
    // Reading the font configuration takes several milliseconds; it is done on
    // the second core while the display connection is made, so the window's
    // first text need not wait for it (the second call, Qt's, finds it done).
    auto fontConfiguration = std::async(std::launch::async, [] { FcInit(); });
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TZ360"));
    QApplication::setOrganizationName(QStringLiteral("TZ360"));
    // Decoded on the second core while the main window is built.
    auto programIcon = std::async(std::launch::async, tz::programIconImage);
    // The main window decides when the program ends (its exit check), not the
    // last visible window: it hides itself while the setup window is open.
    QApplication::setQuitOnLastWindowClosed(false);

    // A fresh installation has no bob file; every unit starts with the B5 bob.
    tz::BobFile::ensureExists(tz::BobFile::defaultPath());

    tz::Workstation workstation;
    tz::DialogPrompt prompt;
    tz::frmMain main(workstation, prompt);
    tz::installProgramIcon(programIcon.get());
    QObject::connect(&main, &tz::frmMain::programEnded, &app, &QApplication::quit,
                     Qt::QueuedConnection);
    // Windows ending the session ends the program at once, without the exit check.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &main, &tz::frmMain::exitProgram);
    // An error-log line that cannot be written (a full disk) is shown, not dropped.
    tz::setLostLogLineReporter([&main](const QString& text) {
        std::fprintf(stderr, "%s\n", qPrintable(text));
        main.statusBar()->showMessage(text);
    });
    main.load();
    // Points a run left in the point journal while the database was away.
    if (const QString recovered = tz::replayAtOpening(workstation.connection); !recovered.isEmpty()) {
        std::fprintf(stderr, "tz360: %s\n", qPrintable(recovered));
        main.statusBar()->showMessage(recovered);
    }
    main.show();
    return app.exec();
}
