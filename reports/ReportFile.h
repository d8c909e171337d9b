#pragma once
// Writing a finished report to its file in one go: the earlier file is
// replaced only when the new one was written whole.
#include <QString>
#include <stdexcept>

namespace tz {

class ReportFileError : public std::runtime_error {
public:
    explicit ReportFileError(const QString& text) : std::runtime_error(text.toStdString()), m_text(text) {}
    QString text() const { return m_text; }

private:
    QString m_text;
};

// Writes text as UTF-8. Throws ReportFileError naming the file and the cause.
void writeReportFile(const QString& path, const QString& text);

}  // namespace tz
