#include "app/RunningTests.h"

namespace tz {

void RunningTests::add(int unit, int testId, const QString& name) {
    m_tests.removeIf([&](const RunningTest& t) { return t.unit == unit && t.testId == testId; });
    m_tests.append({unit, testId, name, true});
}

void RunningTests::removeWaiting(int unit) {
    m_tests.removeIf([unit](const RunningTest& t) { return t.unit == unit && !t.recording; });
}

void RunningTests::setWaiting(int unit) {
    for (RunningTest& t : m_tests)
        if (t.unit == unit) t.recording = false;
}

void RunningTests::remove(int unit) {
    m_tests.removeIf([unit](const RunningTest& t) { return t.unit == unit; });
}

std::optional<RunningTest> RunningTests::find(const QString& name, const QList<int>& ids) const {
    for (const RunningTest& t : m_tests)
        if (t.name == name || ids.contains(t.testId)) return t;
    return std::nullopt;
}

std::optional<RunningTest> RunningTests::ofUnit(int unit) const {
    for (const RunningTest& t : m_tests)
        if (t.unit == unit) return t;
    return std::nullopt;
}

}  // namespace tz
