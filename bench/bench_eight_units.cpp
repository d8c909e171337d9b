// Eight units on one workstation: eight run controllers, each on its own
// UnitLink to its own tz360-sim pseudo-terminal at --time-scale 40, all on
// one event loop and one database connection, each running more than ten
// minutes of test time. Units start half a second apart, so some download
// their sequence while others already run. Prints, per unit and overall, the
// ticks that fired late (more than half an interval after their time) and
// the worst delay of the event loop.
//
// Build and run: scripts/build.sh --target bench_eight_units tz360-sim &&
//                build/bench_eight_units
#include "db/NewTest.h"
#include "db/SequenceData.h"
#include "db/clsConnection.h"
#include "instrument/UnattendedRun.h"
#include "instrument/UnitLink.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int kUnits = 8;
constexpr const char* kScale = "40";

tz::SequenceData benchSequence()
{
    // Two 5-minute holds, each with a four-row shear ramp: about 11 minutes.
    tz::SequenceData s;
    s.name = QStringLiteral("bench");
    s.timeBeforeRead = 10;
    s.rampSampleRate = 2;
    s.samplePointsAverage = 3;
    s.sampleInterval = 20;
    s.shutDownATime = 20;
    s.shutDownVisc = 0;
    for (int i = 1; i <= 2; ++i) {
        tz::SequenceStep step;
        step.rampNo = i;
        step.elapseTimeMin = 5;
        step.tempF = 75;
        step.startErrorF = 10;
        step.shearRate = 100;
        step.runRamp = 1;
        s.steps << step;
    }
    s.rampShearRates = {170, 100, 60, 30};
    return s;
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("TZ360_TIME_SCALE", kScale);
    QCoreApplication app(argc, argv);
    const QString simPath = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("tz360-sim"));
    QTemporaryDir dir;
    if (!dir.isValid() || !QDir::setCurrent(dir.path())) {
        std::fprintf(stderr, "bench: no temporary directory\n");
        return 1;
    }

    std::vector<std::unique_ptr<QProcess>> sims;
    for (int k = 1; k <= kUnits; ++k) {
        auto sim = std::make_unique<QProcess>();
        sim->setWorkingDirectory(dir.path());
        sim->start(simPath, {"--link", QString::number(k), "--time-scale", kScale, "--no-noise",
                             "--seed", QString::number(k)});
        if (!sim->waitForStarted() || !sim->waitForReadyRead(5000)) {
            std::fprintf(stderr, "bench: cannot start %s\n", qPrintable(simPath));
            return 1;
        }
        sims.push_back(std::move(sim));
    }

    clsConnection connection;
    connection.OpenDB(QString(), QString(), QString(), QString());
    if (!connection.isOpen()) {
        std::fprintf(stderr, "bench: %s\n", qPrintable(connection.lastError()));
        return 1;
    }

    const tz::SequenceData sequence = benchSequence();
    std::vector<std::unique_ptr<tz::UnitLink>> links;
    std::vector<std::unique_ptr<tz::UnattendedRun>> runs;
    std::vector<int> points(kUnits, 0), lastTestSecond(kUnits, 0);
    int finished = 0;
    QElapsedTimer wall;
    wall.start();

    for (int k = 1; k <= kUnits; ++k) {
        auto link = std::make_unique<tz::UnitLink>();
        if (!link->open(k)) {
            std::fprintf(stderr, "bench: Comm %d: %s\n", k, qPrintable(link->errorString()));
            return 1;
        }
        auto run = std::make_unique<tz::UnattendedRun>(*link, connection);
        const int i = k - 1;
        QObject::connect(run.get(), &tz::UnattendedRun::pointRecorded, [&, i](const tz::RecordedPoint& p, bool) {
            ++points[i];
            lastTestSecond[i] = static_cast<int>(p.resultTime);
        });
        QObject::connect(run.get(), &tz::UnattendedRun::finished,
                         [&, k](tz::UnattendedRun::Outcome outcome, const QString& detail) {
                             if (outcome != tz::UnattendedRun::Outcome::Finished)
                                 std::fprintf(stderr, "bench: unit %d ended early: %s\n", k, qPrintable(detail));
                             if (++finished == kUnits)
                                 QCoreApplication::quit();
                         });
        tz::UnattendedRun* raw = run.get();
        QTimer::singleShot(500 * i, raw, [raw, &sequence, k] {
            tz::TestInformation info;
            info.testName = QStringLiteral("bench unit %1").arg(k);
            raw->begin(sequence, info, k);
        });
        links.push_back(std::move(link));
        runs.push_back(std::move(run));
    }

    app.exec();
    const double wallS = wall.elapsed() / 1000.0;

    std::printf("eight units, time scale %s, one event loop, wall time %.1f s\n", kScale, wallS);
    std::printf("unit  test s  points  ticks  late  worst delay ms  longest tick ms\n");
    int allLate = 0, allTicks = 0;
    double worst = 0;
    for (int i = 0; i < kUnits; ++i) {
        tz::UnattendedRun& r = *runs[i];
        std::printf("%4d  %6d  %6d  %5d  %4d  %14.1f  %15.1f\n", i + 1, r.controller().elapsedSeconds(),
                    points[i], r.ticks(), r.lateTicks(), r.worstDelayMs(), r.worstTickWorkMs());
        allLate += r.lateTicks();
        allTicks += r.ticks();
        worst = std::max(worst, r.worstDelayMs());
    }
    std::printf("all   late ticks %d of %d, worst event-loop delay %.1f ms (aim: 0 late, < 50 ms)\n", allLate,
                allTicks, worst);

    for (auto& sim : sims) {
        sim->terminate();
        sim->waitForFinished(5000);
    }
    return 0;
}
