#include "reports/CsvText.h"

namespace tz {

QString csvField(const QString& text) {
    const bool quote = text.contains(u',') || text.contains(u'"') || text.contains(u'\n') || text.contains(u'\r');
    if (!quote) return text;
    QString quoted = text;
    quoted.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

QString csvRecord(const QStringList& fields) {
    QStringList out;
    out.reserve(fields.size());
    for (const QString& f : fields) out << csvField(f);
    return out.join(u',') + QStringLiteral("\r\n");
}

}  // namespace tz
