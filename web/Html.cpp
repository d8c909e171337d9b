#include "web/Html.h"

namespace tz::web {

QString escape(const QString& text)
{
    QString out;
    out.reserve(text.size() + text.size() / 8);
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '&': out += QLatin1String("&amp;"); break;
        case '<': out += QLatin1String("&lt;"); break;
        case '>': out += QLatin1String("&gt;"); break;
        case '"': out += QLatin1String("&quot;"); break;
        case '\'': out += QLatin1String("&#39;"); break;
        default: out += c;
        }
    }
    return out;
}

QByteArray page(const QString& title, const QString& body, const QStringList& scripts)
{
    QString html = QStringLiteral(
        "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
        "<title>%1 - TZ360</title><link rel=\"stylesheet\" href=\"/assets/app.css\">")
                       .arg(escape(title));
    for (const QString& script : scripts)
        html += QStringLiteral("<script src=\"/assets/%1\" defer></script>").arg(escape(script));
    html += QStringLiteral("</head><body><header><a href=\"/\" class=\"home\">TZ360 tests</a></header>\n");
    html += body;
    html += QStringLiteral("\n</body></html>\n");
    return html.toUtf8();
}

}  // namespace tz::web
