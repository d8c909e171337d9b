#pragma once
// The workstation's own choices that initial.txt has no line for, kept in one
// small text file of key=value lines, "tz360.ini", in the working directory.
// initial.txt keeps its exact layout; nothing here is ever written to it.
//
//   [reports]
//   maker_web_address=www.example.com
//
// A missing file, or a missing key, means "not set". The file is read when
// the object is made, so a changed file counts from the next report on.
#include <QString>

namespace tz {

class ProgramSettings {
public:
    // Reads path (default: tz360.ini in the working directory).
    explicit ProgramSettings(const QString& path = defaultPath());

    static QString defaultPath();

    // The web address the lab wants under its detail reports and in the
    // About box; empty unless the lab has set one.
    QString makerWebAddress() const { return m_makerWebAddress; }

private:
    QString m_makerWebAddress;
};

}  // namespace tz
