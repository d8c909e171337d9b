#pragma once
// The tests this workstation's unit windows are recording, or whose recorded
// points still wait for the database: such a test must not be deleted, or its
// next points would go in under an id no TEST_INFO row carries. Owned by the
// workstation object; the unit windows keep it up to date.
#include <QList>
#include <QString>

#include <optional>

namespace tz {

struct RunningTest {
    int unit = 0;          // 1 ... 8
    int testId = 0;
    QString name;
    bool recording = true; // false: the run ended, points still wait to be stored
};

class RunningTests {
public:
    // Unit `unit` records this test (it may still hold waiting points of
    // earlier ones).
    void add(int unit, int testId, const QString& name);
    // The run on `unit` ended but its points still wait.
    void setWaiting(int unit);
    // Every waiting point of `unit` is stored: only its recording test stays.
    void removeWaiting(int unit);
    // The unit holds nothing of any test any more.
    void remove(int unit);

    // The entry of a test of this name or of one of these ids, if any unit holds one.
    std::optional<RunningTest> find(const QString& name, const QList<int>& ids = {}) const;
    std::optional<RunningTest> ofUnit(int unit) const;
    const QList<RunningTest>& all() const { return m_tests; }

private:
    QList<RunningTest> m_tests;
};

}  // namespace tz
