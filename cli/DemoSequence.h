#pragma once
// tz360-cli add-demo-sequence: a short sequence for a first look at a test,
// stored in TZ360.db of the working directory.
#include "db/DbError.h"
#include "db/SequenceData.h"
#include "db/clsConnection.h"

#include <QTextStream>

namespace tz::cli {

// About five minutes of test time: a warm hold at 100 1/s, a three-row shear
// ramp down from 170 1/s, and a second hold. Wide tolerances, so the steps
// end on time whatever the bath does.
inline SequenceData demoSequence() {
    SequenceData s;
    s.name = QStringLiteral("Demo");
    s.timeBeforeRead = 5;
    s.rampSampleRate = 2;
    s.samplePointsAverage = 3;
    s.shutDownATime = 20;
    s.shutDownVisc = 0;
    s.sampleInterval = 10;
    s.steps = {{1, 2, 80, 15, 100, 1}, {2, 2, 85, 15, 170, 0}};
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
