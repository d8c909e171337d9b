#pragma once
// Text from the database goes into pages only through escape(): every
// character that could open markup or end an attribute value is replaced.
#include <QString>
#include <QStringList>

namespace tz::web {

QString escape(const QString& text);

// The page frame: title, the embedded style sheet, the scripts of the
// program's own (never inline), and the body.
QByteArray page(const QString& title, const QString& body, const QStringList& scripts = {});

}  // namespace tz::web
