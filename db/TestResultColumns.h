#pragma once
// The recorded points of one test read for analysis: straight from the query
// into one plain array per column, by column position, in RESULT_TIME order.
// A long test (hundreds of thousands of points) opens in time proportional
// to its points; the record class clsTEST_RESULT stays for everything that
// moves through rows one at a time.
#include <cstddef>
#include <optional>
#include <vector>

class clsConnection;

namespace tz {

struct TestResultColumns {
    std::vector<double> rampNo;
    std::vector<double> rampStepNo;
    std::vector<double> time;          // RESULT_TIME, s
    std::vector<double> sampleTemp;
    std::vector<double> press;
    std::vector<double> shearRate;
    std::vector<double> shearStress;
    std::vector<double> typeId;
    std::vector<double> bathTemp;

    std::size_t size() const { return time.size(); }
};

// Every point of test testId. A NULL reads as 0, as in the record class; a
// value that is not a number throws DbError "Type mismatch" (13), and any
// database failure throws DbError (a lost server connection is noted on the
// connection, which opens it again before the next statement).
// With after, only the points recorded later than that RESULT_TIME (s): what
// a view following a running test has not seen yet.
TestResultColumns readTestResultColumns(clsConnection& connection, int testId,
                                        std::optional<double> after = std::nullopt);

}  // namespace tz
