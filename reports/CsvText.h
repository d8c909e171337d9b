#pragma once
// Comma-separated text for spreadsheets, scripts and LIMS imports: fields
// quoted as RFC 4180 asks (a field holding a comma, a quote or a line break is
// put in double quotes, its quotes doubled), records ended by CR LF.
#include <QString>
#include <QStringList>

namespace tz {

QString csvField(const QString& text);
// One record, with its CR LF.
QString csvRecord(const QStringList& fields);

}  // namespace tz
