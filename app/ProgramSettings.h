#pragma once
// The workstation's own choices that initial.txt has no line for, kept in one
// small text file of key=value lines, "tz360.ini", in the working directory.
// initial.txt keeps its exact layout; nothing here is ever written to it.
//
//   [reports]
//   maker_web_address=www.example.com
//   [summary]
//   threshold_cp=100
//
// A missing file, or a missing key, means "not set". The file is read when
// the object is made, so a changed file counts from the next report on.
#include <QString>

namespace tz {

// The viscosity the test summary measures against until the operator chooses one.
inline constexpr double kDefaultThresholdCp = 100.0;

// A threshold the operator may choose: finite and above 0 cP.
bool thresholdAccepted(double thresholdCp);

class ProgramSettings {
public:
    // Reads path (default: tz360.ini in the working directory).
    explicit ProgramSettings(const QString& path = defaultPath());

    static QString defaultPath();

    // The web address the lab wants under its detail reports and in the
    // About box; empty unless the lab has set one.
    QString makerWebAddress() const { return m_makerWebAddress; }

    // The viscosity the test summary measures "time above" and the break
    // against, as the operator last chose it; 100 cP when never chosen or
    // when the file holds no usable value.
    double summaryThresholdCp() const { return m_summaryThresholdCp; }
    // Remembers the operator's threshold in the file at path, keeping its
    // other keys. False (file unchanged) for a threshold that is not a
    // positive finite number or when the file cannot be written.
    static bool saveSummaryThreshold(double thresholdCp, const QString& path = defaultPath());

private:
    QString m_makerWebAddress;
    double m_summaryThresholdCp = kDefaultThresholdCp;
};

}  // namespace tz
