#pragma once
// tz360-cli run: a real-time test without a window, for unattended and
// scripted labs. Opens Comm K, downloads the sequence as Send Sequence does,
// checks the pressure, stores the test in the working directory's database
// (TZ360.db, or the lab server that database.txt or TZ360_DATABASE names),
// runs the sequence to its end and prints one line per recorded point (after
// it is committed). SIGINT / SIGTERM stop the unit and keep every point.
//
// Exit status: 0 the sequence ran to its end (or the viscosity shut-down
// ended it); 1 usage; 2 database, sequence or test name; 3 port or unit
// (cannot open, download refused, no answer, silent for 60 s mid-run); 4
// pressure too low; 5 over-temperature (stopped, or refused before storing);
// 6 points left unstored (kept in the point journal; stderr says where); 7
// the run could not follow its sequence (ten failing ticks in a row, Stop
// sent); 128 + signal when stopped by a signal.
#include "cli/UnitTestOptions.h"
#include "db/DbError.h"
#include "db/NewTest.h"
#include "db/SequenceData.h"
#include "db/clsConnection.h"
#include "instrument/UnattendedRun.h"
#include "instrument/UnitLink.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTextStream>

#include <csignal>
#include <unistd.h>

namespace tz::cli {

namespace runsignal {
inline int pipeFds[2] = {-1, -1};
inline void onSignal(int signo)
{
    const char c = static_cast<char>(signo);
    [[maybe_unused]] auto n = ::write(pipeFds[1], &c, 1);
}
}  // namespace runsignal

inline void runUsage(QTextStream& out)
{
    out << "Usage: tz360-cli run --comm K --sequence NAME --test NAME [--bob CODE] [--unit N]\n"
           "                     [--fluid TEXT] [--researcher TEXT]\n"
           "Runs the stored sequence NAME on the unit at Comm K as test NAME in the working\n"
           "directory's database (TZ360.db, or the server database.txt or TZ360_DATABASE names)\n"
           "and prints each recorded point, tab separated: ramp, ramp step,\n"
           "type, time (s), sample F, bath F, psi, shear rate 1/s, shear stress dyn/cm2, viscosity cP.\n"
           "--bob: B1 ... B5, XB1 ... XB5 (default B5); --unit: 1 ... 8 for the error log (default 1).\n";
}

inline int run(const QStringList& args, QTextStream& out, QTextStream& err)
{
    QCommandLineParser parser;
    const UnitTestOptions options;
    const QCommandLineOption sequenceName(QStringLiteral("sequence"), QString(), QStringLiteral("NAME"));
    const QCommandLineOption unit(QStringLiteral("unit"), QString(), QStringLiteral("N"), QStringLiteral("1"));
    const QCommandLineOption help(QStringList{QStringLiteral("help"), QStringLiteral("h")});
    options.addTo(parser);
    parser.addOptions({sequenceName, unit, help});
    const auto fail = [&](int code, const QString& reason) {
        err << "tz360-cli run: " << reason << "\n";
        err.flush();
        return code;
    };
    if (!parser.parse(QStringList{QStringLiteral("tz360-cli run")} + args))
        return fail(1, parser.errorText());
    if (parser.isSet(help)) {
        runUsage(out);
        return 0;
    }
    if (!parser.positionalArguments().isEmpty())
        return fail(1, QStringLiteral("unexpected argument \"%1\"").arg(parser.positionalArguments().first()));
    const std::optional<int> comm = options.commNo(parser);
    if (!comm)
        return fail(1, UnitTestOptions::commError());
    bool ok = false;
    const int unitNo = parser.value(unit).toInt(&ok);
    if (!ok || unitNo < 1 || unitNo > 8)
        return fail(1, QStringLiteral("--unit takes a unit number from 1 to 8"));
    if (parser.value(sequenceName).isEmpty())
        return fail(1, QStringLiteral("--sequence NAME is required"));
    if (const QString problem = options.textError(parser); !problem.isEmpty())
        return fail(1, problem);
    const std::optional<TestInformation> information = options.information(parser);
    if (!information)
        return fail(1, options.bobError(parser));
    const TestInformation& info = *information;
    const int commNo = *comm;

    clsConnection connection;
    connection.OpenDB(QString(), QString(), QString(), QString());
    if (!connection.isOpen())
        return fail(2, connection.lastError().replace(QStringLiteral("\r\n"), QStringLiteral(": ")));
    std::optional<SequenceData> sequence;
    try {
        sequence = loadSequence(connection, parser.value(sequenceName));
        if (!sequence)
            return fail(2, QStringLiteral("no sequence named \"%1\" in %2")
                               .arg(parser.value(sequenceName), connection.description()));
        if (testNameTaken(connection, info.testName))
            return fail(2, QStringLiteral("a test named \"%1\" is already stored").arg(info.testName));
    } catch (const DbError& e) {
        return fail(2, e.text());
    }
    if (sequence->steps.isEmpty())
        return fail(2, QStringLiteral("sequence \"%1\" has no steps").arg(sequence->name));

    UnitLink link;
    if (!link.open(commNo))
        return fail(3, link.errorString());

    UnattendedRun unattended(link, connection);
    int exitCode = 0;
    int stoppedBySignal = 0;
    QObject::connect(&unattended, &UnattendedRun::started, [&](int id) {
        err << "tz360-cli run: test \"" << info.testName << "\" (id " << id << ") started on Comm " << commNo
            << "\n";
        err.flush();
    });
    QObject::connect(&unattended, &UnattendedRun::pointRecorded, [&](const RecordedPoint& p, bool stored) {
        const double viscosity = p.shearRate >= 0.00002 ? p.shearStress / (p.shearRate + 0.00001) * 100.0 : 0.0;
        out << p.rampNo << '\t' << p.rampStepNo << '\t' << p.resultType << '\t' << p.resultTime << '\t'
            << QString::number(p.sampleTempF, 'f', 1) << '\t' << QString::number(p.bathTempF, 'f', 1) << '\t'
            << QString::number(p.pressurePsi, 'f', 1) << '\t' << QString::number(p.shearRate, 'f', 2) << '\t'
            << QString::number(p.shearStress, 'f', 2) << '\t' << QString::number(viscosity, 'f', 1);
        if (!stored)
            out << "\twaiting";
        out << '\n';
        out.flush();
    });
    // One line when the database goes away and one when it is back, not one
    // per point: the printed points say "waiting" meanwhile.
    bool storeFailing = false;
    QObject::connect(&unattended.controller(), &RunController::pointStoreFailed,
                     [&](const QString& reason, int pending) {
                         if (storeFailing)
                             return;
                         storeFailing = true;
                         err << "tz360-cli run: point not stored yet (" << pending << " waiting): " << reason.simplified()
                             << "\n";
                         err.flush();
                     });
    QObject::connect(&unattended.controller(), &RunController::pointsRecovered, [&](int stored) {
        storeFailing = false;
        err << "tz360-cli run: the database answers again: " << stored << " waiting points stored\n";
        err.flush();
    });
    QObject::connect(&unattended.writer(), &DatabasePointWriter::diskSpaceLow, [&](const QString& message) {
        err << "tz360-cli run: " << message << "\n";
        err.flush();
    });
    // Every change of what the unit reports (Running Test, Mal Function, No
    // Response ...), so an unattended log shows what the window would have.
    QObject::connect(&unattended.controller(), &RunController::statusTextChanged, [&](const QString& text) {
        err << "tz360-cli run: unit on Comm " << commNo << ": " << text << "\n";
        err.flush();
    });
    QObject::connect(&unattended.controller(), &RunController::tickFailed, [&](const QString& reason) {
        err << "tz360-cli run: tick failed: " << reason << "\n";
        err.flush();
    });
    QObject::connect(&unattended, &UnattendedRun::finished,
                     [&](UnattendedRun::Outcome outcome, const QString& detail) {
                         switch (outcome) {
                         case UnattendedRun::Outcome::Finished: exitCode = 0; break;
                         case UnattendedRun::Outcome::LowViscosity:
                             err << "tz360-cli run: ended: " << detail << "\n";
                             exitCode = 0;
                             break;
                         case UnattendedRun::Outcome::OverTemperature: exitCode = fail(5, detail); break;
                         case UnattendedRun::Outcome::Interrupted:
                             exitCode = stoppedBySignal ? 128 + stoppedBySignal : fail(3, detail);
                             break;
                         case UnattendedRun::Outcome::DownloadRefused:
                             exitCode = fail(3, QStringLiteral("the unit on Comm %1 refused the sequence: %2")
                                                    .arg(commNo)
                                                    .arg(detail));
                             break;
                         case UnattendedRun::Outcome::NoResponse:
                             exitCode = fail(3, QStringLiteral("%1 on Comm %2").arg(detail).arg(commNo));
                             break;
                         case UnattendedRun::Outcome::PressureTooLow: exitCode = fail(4, detail); break;
                         case UnattendedRun::Outcome::TestNotStored: exitCode = fail(2, detail); break;
                         case UnattendedRun::Outcome::TickFailures:
                             exitCode = fail(7, QStringLiteral("the run could not follow its sequence: %1").arg(detail));
                             break;
                         }
                         if (unattended.writer().backlog() > 0) {
                             err << "tz360-cli run: database: " << unattended.writer().lastError().simplified()
                                 << "\n";
                             exitCode = fail(6, unattended.writer().keptText());
                         }
                         // Let the last command (Stop) leave the port before closing it.
                         QTimer::singleShot(50, qApp, [] { QCoreApplication::quit(); });
                     });

    // Ctrl-C and SIGTERM arrive through a pipe, so the stop runs on the event loop.
    if (::pipe(runsignal::pipeFds) != 0)
        return fail(3, QStringLiteral("cannot watch for signals"));
    QSocketNotifier signalNotifier(runsignal::pipeFds[0], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, [&] {
        char c = 0;
        if (::read(runsignal::pipeFds[0], &c, 1) == 1 && !stoppedBySignal) {
            stoppedBySignal = c;
            unattended.interrupt();
        }
    });
    struct sigaction action {};
    action.sa_handler = runsignal::onSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    unattended.begin(*sequence, info, unitNo);
    QCoreApplication::exec();
    link.close();
    return exitCode;
}

}  // namespace tz::cli
