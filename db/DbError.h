#pragma once
// A database failure raised by the record classes and passed to the calling
// handler unchanged, which decides what the operator sees.
#include <QSqlError>
#include <QString>
#include <stdexcept>

namespace tz {

class DbError : public std::runtime_error {
public:
    DbError(const QString& what, int number = 0)
        : std::runtime_error(what.toStdString()), m_number(number), m_text(what) {}
    explicit DbError(const QSqlError& error)
        : DbError(error.text(), error.nativeErrorCode().toInt()) {}

    int number() const { return m_number; }
    QString text() const { return m_text; }

private:
    int m_number;
    QString m_text;
};

}  // namespace tz
