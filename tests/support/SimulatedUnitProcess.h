#pragma once
// tz360-sim serving one Comm port for a test: started in the test's working
// directory (where it writes its comports.txt entry) and ready once it has
// printed its pseudo-terminal.
#include <QElapsedTimer>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace tz::test {

// The running simulator (owned by owner), or nullptr when it did not start
// or printed nothing within 5 s.
inline QProcess* startSimulatedUnit(QObject* owner, const QString& workingDir, int comm,
                                    const QString& timeScale, const QStringList& extra = {})
{
    auto* sim = new QProcess(owner);
    sim->setWorkingDirectory(workingDir);
    sim->start(qEnvironmentVariable("TZ360_SIM"),
               QStringList{"--link", QString::number(comm), "--time-scale", timeScale, "--no-noise"} + extra);
    if (!sim->waitForStarted())
        return nullptr;
    QElapsedTimer waited;
    waited.start();
    while (!sim->canReadLine() && waited.elapsed() < 5000)
        sim->waitForReadyRead(100);
    return sim->canReadLine() ? sim : nullptr;
}

}  // namespace tz::test
