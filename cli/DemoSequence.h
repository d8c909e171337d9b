#pragma once
// tz360-cli add-demo-sequence: a sequence for a first look at a test,
// stored in TZ360.db of the working directory.
#include "db/DbError.h"
#include "db/SequenceData.h"
#include "db/clsConnection.h"

#include <QTextStream>

namespace tz::cli {

// About an hour of test time, made for the simulated unit's crosslinked gel
// with a breaker (scripts/run.sh serves tz360-sim --fluid zirconate --breaker
// 0.3): ten minutes at 150 F and 100 1/s while the gel heats and crosslinks,
// two more ten-minute holds there (the plateau), then 230 F for half an hour,
// where the breaker works some twenty times faster and the gel breaks. A
// three-row shear ramp down from 170 1/s follows every hold. Wide tolerances,
// so the steps end on time whatever the bath does.
inline SequenceData demoSequence() {
    SequenceData s;
    s.name = QStringLiteral("Demo");
    s.timeBeforeRead = 5;
    s.rampSampleRate = 2;
    s.samplePointsAverage = 3;
    s.shutDownATime = 20;
    s.shutDownVisc = 0;
    s.sampleInterval = 10;
    s.steps = {{1, 10, 150, 20, 100, 1}, {2, 10, 150, 20, 100, 1}, {3, 10, 150, 20, 100, 1},
               {4, 30, 230, 20, 100, 1}};
    s.rampShearRates = {170, 100, 40};
    return s;
}

// Stores "Demo" unless a sequence of that name is there already. 0 on success.
inline int addDemoSequence(QTextStream& out, QTextStream& err) {
    clsConnection connection;
    connection.OpenDB(QString(), QString(), QString(), QString());
    if (!connection.isOpen()) {
        err << connection.lastError() << "\n";
        return 2;
    }
    try {
        const SequenceData demo = demoSequence();
        if (sequenceNames(connection).contains(demo.name)) {
            out << "Sequence \"" << demo.name << "\" is already stored.\n";
            return 0;
        }
        saveSequence(connection, demo);
        out << "Sequence \"" << demo.name << "\" stored.\n";
    } catch (const DbError& e) {
        err << "tz360-cli add-demo-sequence: " << e.text() << "\n";
        return 2;
    }
    return 0;
}

}  // namespace tz::cli
