// tz360-sim: a simulated TZ360 unit on a pseudo-terminal, for demonstrations,
// trainees and end-to-end tests. Prints the device path; --link k enters it as
// Comm k in comports.txt of the working directory.
#include "instrument/CommPorts.h"
#include "sim/SimulatedUnit.h"
#include "sim/fluids/FluidFactory.h"
#include "tz360_version.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int) {
    const char c = 1;
    [[maybe_unused]] auto n = ::write(signalPipe[1], &c, 1);
}

bool writeAll(int fd, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            if (errno == EAGAIN) {
                usleep(1000);
                continue;
            }
            return false;
        }
        done += n;
    }
    return true;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tz360-sim"));

    QCommandLineParser cli;
    cli.setApplicationDescription(QStringLiteral("Simulated TZ360 rheometer unit on a pseudo-terminal."));
    cli.addHelpOption();
    QCoreApplication::setApplicationVersion(QStringLiteral(TZ360_VERSION)); cli.addVersionOption();
    const QCommandLineOption link(QStringLiteral("link"), QStringLiteral("Enter the device as Comm <k> in comports.txt."), QStringLiteral("k"));
    const QCommandLineOption scale(QStringLiteral("time-scale"), QStringLiteral("Run the unit <f> times faster than real time (default 1)."), QStringLiteral("f"), QStringLiteral("1"));
    const QCommandLineOption pressure(QStringLiteral("pressure"), QStringLiteral("Cell pressure in psi (default 500)."), QStringLiteral("psi"), QStringLiteral("500"));
    const QCommandLineOption seed(QStringLiteral("seed"), QStringLiteral("Seed of the measurement noise (default 1)."), QStringLiteral("n"), QStringLiteral("1"));
    const QCommandLineOption noNoise(QStringLiteral("no-noise"), QStringLiteral("Noise-free readings."));
    const QCommandLineOption split(QStringLiteral("split-frames"), QStringLiteral("Send every reply in two pieces."));
    const QCommandLineOption garbage(QStringLiteral("garbage"), QStringLiteral("Line noise before every status frame."));
    const QCommandLineOption twoDigit(QStringLiteral("two-digit-status"), QStringLiteral("Status field of two digits."));
    const QCommandLineOption decimalTemp(QStringLiteral("decimal-temperature"), QStringLiteral("Sample temperature with a decimal point."));
    const QCommandLineOption silent(QStringLiteral("silent"), QStringLiteral("Answer nothing."));
    const QCommandLineOption silentAfter(QStringLiteral("silent-after"), QStringLiteral("Fall silent <s> unit seconds after start."), QStringLiteral("s"));
    const QCommandLineOption silentFor(QStringLiteral("silent-for"), QStringLiteral("Stay silent for <s> unit seconds (default: for good)."), QStringLiteral("s"), QStringLiteral("0"));
    const QCommandLineOption overTemp(QStringLiteral("over-temperature"), QStringLiteral("Sample thermocouple reads 455 F."));
    const QCommandLineOption malfunction(QStringLiteral("malfunction"), QStringLiteral("Report status 4."));
    const QCommandLineOption standAlone(QStringLiteral("stand-alone"), QStringLiteral("Start a stand-alone test of the built-in sequence."));
    const QCommandLineOption calibrationRecords(QStringLiteral("calibration-records"), QStringLiteral("Records of a torque calibration (default 20)."), QStringLiteral("n"), QStringLiteral("20"));
    const QCommandLineOption looseShaft(QStringLiteral("loose-bob-shaft"), QStringLiteral("Calibration voltages wander off the transducer curve."));
    const QCommandLineOption fluid(QStringLiteral("fluid"),
                                   QStringLiteral("Test fluid: %1. Any but gel also makes the cell pressure follow the sample temperature.")
                                       .arg(tz::sim::fluids::fluidNamesHelp()),
                                   QStringLiteral("name"), QStringLiteral("gel"));
    const QCommandLineOption breaker(QStringLiteral("breaker"),
                                     QStringLiteral("Add a breaker to the fluid: first-order rate per hour at 150 F, doubling every 18 F."),
                                     QStringLiteral("rate"), QStringLiteral("0"));
    cli.addOptions({link, scale, pressure, seed, noNoise, split, garbage, twoDigit, decimalTemp, silent,
                    silentAfter, silentFor, overTemp, malfunction, standAlone, calibrationRecords, looseShaft,
                    fluid, breaker});
    cli.process(app);

    bool ok = true;
    auto number = [&](const QCommandLineOption& o) {
        bool good = false;
        const double v = cli.value(o).toDouble(&good);
        if (!good) {
            std::fprintf(stderr, "tz360-sim: --%s needs a number\n", qPrintable(o.names().first()));
            ok = false;
        }
        return v;
    };
    const double timeScale = number(scale);
    tz::sim::Options options;
    options.pressurePsi = number(pressure);
    options.seed = static_cast<unsigned>(number(seed));
    options.noise = !cli.isSet(noNoise);
    options.calibrationRecords = static_cast<int>(number(calibrationRecords));
    const double breakerRate = number(breaker);
    if (ok) {
        QString error;
        const auto choice = tz::sim::fluids::makeFluid(cli.value(fluid), breakerRate, &error);
        if (!choice) {
            std::fprintf(stderr, "tz360-sim: --fluid/--breaker: %s\n", qPrintable(error));
            return 2;
        }
        options.fluidModel = choice->fluid;
        options.pressureFollowsTemperature = choice->fluid != nullptr;
    }
    int comm = 0;
    if (cli.isSet(link)) {
        comm = static_cast<int>(number(link));
        if (ok && (comm < 1 || comm > 22)) {
            std::fprintf(stderr, "tz360-sim: --link takes a Comm number from 1 to 22\n");
            ok = false;
        }
    }
    if (!ok || timeScale <= 0) {
        if (timeScale <= 0) std::fprintf(stderr, "tz360-sim: --time-scale must be positive\n");
        return 2;
    }

    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        std::perror("tz360-sim: pseudo-terminal");
        return 1;
    }
    const QString device = QString::fromLocal8Bit(ptsname(master));
    // Hold the slave open ourselves: with no slave open the master reports a
    // hang-up on every poll, and the workstation may open and close at will.
    const int slave = ::open(ptsname(master), O_RDWR | O_NOCTTY);
    if (slave < 0) {
        std::perror("tz360-sim: slave side");
        return 1;
    }
    termios raw{};
    tcgetattr(slave, &raw);
    cfmakeraw(&raw);
    cfsetispeed(&raw, B19200);
    cfsetospeed(&raw, B19200);
    tcsetattr(slave, TCSANOW, &raw);

    if (comm > 0) {
        QString error;
        if (!tz::setCommDevice(comm, device, QDir::currentPath(), &error)) {
            std::fprintf(stderr, "tz360-sim: cannot write comports.txt: %s\n", qPrintable(error));
            return 1;
        }
    }

    tz::sim::SimulatedUnit unit(options);
    auto& faults = unit.faults();
    faults.splitFrames = cli.isSet(split);
    faults.garbageBetweenFrames = cli.isSet(garbage);
    faults.twoDigitStatus = cli.isSet(twoDigit);
    faults.decimalTemperature = cli.isSet(decimalTemp);
    faults.silent = cli.isSet(silent);
    if (cli.isSet(silentAfter)) {
        faults.silentFromS = number(silentAfter);
        faults.silentForS = number(silentFor);
        if (!ok || faults.silentFromS < 0 || faults.silentForS < 0) {
            std::fprintf(stderr, "tz360-sim: --silent-after and --silent-for take seconds of 0 or more\n");
            return 2;
        }
    }
    faults.overTemperature = cli.isSet(overTemp);
    faults.malfunction = cli.isSet(malfunction);
    faults.looseBobShaft = cli.isSet(looseShaft);
    if (cli.isSet(standAlone)) unit.startStandAloneRun();

    std::printf("%s\n", qPrintable(device));
    std::fflush(stdout);

    auto send = [&](const QByteArray& bytes) {
        if (!bytes.isEmpty()) writeAll(master, bytes);
    };
    // Each calibration polynomial the unit takes is printed on a line of its
    // own, so a trainer (or a test) sees what the unit now works with.
    int polynomialsShown = 0;
    auto reportPolynomial = [&] {
        if (unit.polynomialsReceived() == polynomialsShown) return;
        polynomialsShown = unit.polynomialsReceived();
        QByteArray line = "calibration polynomial:";
        for (double c : unit.receivedCoefficients()) line += ' ' + QByteArray::number(c, 'g', 17);
        line += " zero volt: " + QByteArray::number(unit.receivedZeroVolt().value_or(0), 'g', 17);
        std::printf("%s\n", line.constData());
        std::fflush(stdout);
    };

    QSocketNotifier readable(master, QSocketNotifier::Read);
    QObject::connect(&readable, &QSocketNotifier::activated, [&] {
        char buf[4096];
        for (;;) {
            const ssize_t n = ::read(master, buf, sizeof buf);
            if (n > 0) {
                send(unit.feed(QByteArray(buf, n)));
                reportPolynomial();
                continue;
            }
            if (n < 0 && errno == EINTR) continue;
            break;
        }
    });

    // Virtual time follows the wall clock, sped up by the time scale.
    QElapsedTimer clock;
    clock.start();
    double simulated = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const double target = clock.nsecsElapsed() * 1e-9 * timeScale;
        if (target > simulated) {
            send(unit.advance(target - simulated));
            simulated = target;
        }
    });
    ticker.start(10);

    if (::pipe(signalPipe) != 0) return 1;
    struct sigaction sa{};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    QSocketNotifier stopRequest(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&stopRequest, &QSocketNotifier::activated, &app, &QCoreApplication::quit);

    const int rc = app.exec();
    if (comm > 0) tz::removeCommDevice(comm, device, QDir::currentPath());
    ::close(slave);
    ::close(master);
    return rc;
}
