#include "web/WebPages.h"

#include "web/Html.h"

#include <QUrlQuery>

namespace tz::web {

namespace {

QString listLink(const QString& filter, int offset)
{
    QUrlQuery q;
    if (!filter.isEmpty())
        q.addQueryItem(QStringLiteral("q"), filter);
    if (offset > 0)
        q.addQueryItem(QStringLiteral("offset"), QString::number(offset));
    const QString query = q.toString(QUrl::FullyEncoded);
    return query.isEmpty() ? QStringLiteral("/") : QStringLiteral("/?") + query;
}

QString number(double v)
{
    return QString::number(v, 'g', 6);
}

const char* unitName(int unitSystem)
{
    switch (unitSystem) {
    case 2: return "EI";
    case 3: return "SI";
    default: return "CGS";
    }
}

}  // namespace

QString timeText(const QDateTime& time)
{
    return time.isValid() ? time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) : QString();
}

QByteArray listPageHtml(const TestListPage& list, const QString& filter)
{
    QString body = QStringLiteral("<main><h1>Tests</h1>"
                                  "<form class=\"filter\" method=\"get\" action=\"/\">"
                                  "<input type=\"search\" name=\"q\" maxlength=\"100\" placeholder=\"Test name\" value=\"%1\">"
                                  "<button type=\"submit\">Find</button></form>")
                       .arg(escape(filter));
    if (list.tests.isEmpty()) {
        body += filter.isEmpty() ? QStringLiteral("<p>No tests are stored.</p>")
                                 : QStringLiteral("<p>No test name contains \"%1\".</p>").arg(escape(filter));
    } else {
        body += QStringLiteral("<table class=\"list\"><thead><tr><th>Test</th><th>Time</th>"
                               "<th>Researcher</th><th>Fluid</th></tr></thead><tbody>");
        for (const ListedTest& t : list.tests) {
            body += QStringLiteral("<tr%1><td><a href=\"/tests/%2\">%3</a>%4</td><td>%5</td><td>%6</td><td>%7</td></tr>")
                        .arg(t.running ? QStringLiteral(" class=\"running\"") : QString())
                        .arg(t.testId)
                        .arg(escape(t.name.isEmpty() ? QStringLiteral("(no name)") : t.name),
                             t.running ? QStringLiteral(" <span class=\"badge\">running</span>") : QString(),
                             escape(timeText(t.time)), escape(t.researcher), escape(t.fluidId));
        }
        body += QStringLiteral("</tbody></table>");
    }
    const int shownTo = list.offset + static_cast<int>(list.tests.size());
    body += QStringLiteral("<nav class=\"pages\">");
    if (list.offset > 0)
        body += QStringLiteral("<a href=\"%1\">&larr; Newer</a>")
                    .arg(escape(listLink(filter, std::max(0, list.offset - list.limit))));
    body += QStringLiteral("<span>%1&ndash;%2 of %3</span>")
                .arg(list.tests.isEmpty() ? 0 : list.offset + 1)
                .arg(shownTo)
                .arg(list.total);
    if (shownTo < list.total)
        body += QStringLiteral("<a href=\"%1\">Older &rarr;</a>").arg(escape(listLink(filter, shownTo)));
    body += QStringLiteral("</nav></main>");
    return tz::web::page(QStringLiteral("Tests"), body, {QStringLiteral("list.js")});
}

QByteArray testPageHtml(const TestPageView& view)
{
    const TestInfoValues& i = view.test->info;
    const int id = i.testId;
    QString body = QStringLiteral("<main id=\"test\" data-id=\"%1\" data-units=\"%2\" data-running=\"%3\" data-last=\"%4\">")
                       .arg(id)
                       .arg(view.unitSystem)
                       .arg(view.running ? 1 : 0)
                       .arg(QString::number(view.lastPointTime, 'g', 17));
    body += QStringLiteral("<h1>%1%2</h1>")
                .arg(escape(i.name), view.running ? QStringLiteral(" <span class=\"badge\">running</span>") : QString());

    body += QStringLiteral("<div class=\"top\"><section class=\"info\"><table>");
    const auto row = [&body](const char* label, const QString& value) {
        body += QStringLiteral("<tr><th>%1</th><td>%2</td></tr>").arg(QLatin1String(label), escape(value));
    };
    row("Time", timeText(i.time));
    row("Fluid ID", i.fluidId);
    row("Researcher", i.researcher);
    row("Rotor", i.rotorNo);
    row("Bob", i.bobNo);
    row("Bob radius (cm)", number(i.bobRadius));
    row("Bob effective length (cm)", number(i.bobEffLength));
    row("pH before", number(i.preTestPh));
    row("pH after", number(i.postTestPh));
    row("Description", i.description);
    body += QStringLiteral("<tr><th>Points</th><td id=\"point-count\">%1</td></tr>").arg(view.test->points.size());
    body += QStringLiteral("</table></section><section class=\"side\"><h2>Additives</h2>");
    if (view.test->additives.isEmpty()) {
        body += QStringLiteral("<p>None.</p>");
    } else {
        body += QStringLiteral("<table><thead><tr><th>Additive</th><th>Concentration</th><th>Unit</th>"
                               "<th>Lot No</th></tr></thead><tbody>");
        for (const AdditiveValues& a : view.test->additives)
            body += QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td><td>%4</td></tr>")
                        .arg(escape(a.name), number(a.concentration), escape(a.unit), escape(a.lotNo));
        body += QStringLiteral("</tbody></table>");
    }
    body += QStringLiteral("<h2>Downloads</h2><p class=\"note\">The files the workstation writes, "
                           "in the units of its initial.txt.</p><ul class=\"downloads\">");
    const auto link = [&body, id](const char* kind, const char* label) {
        body += QStringLiteral("<li><a href=\"/tests/%1/download/%2\">%3</a></li>")
                    .arg(id)
                    .arg(QLatin1String(kind), QLatin1String(label));
    };
    link("corvane", "Corvane file (.txt)");
    link("brief", "Brief report (.txt)");
    link("xlsx", "Brief Excel (.xlsx)");
    link("xlsx-detail", "Detail Excel (.xlsx)");
    link("pdf", "Detail report (.pdf)");
    link("csv", "Points (.csv)");
    body += QStringLiteral("</ul></section></div>");

    body += QStringLiteral(
        "<section><h2>Charts</h2><p class=\"status\" id=\"status\">Loading the points&hellip;</p>"
        "<div class=\"charts\">"
        "<figure><figcaption>Viscosity (cP) against time (min)</figcaption><canvas id=\"chart-visc\"></canvas></figure>"
        "<figure><figcaption>Sample and bath temperature against time (min)</figcaption><canvas id=\"chart-temp\"></canvas></figure>"
        "<figure><figcaption>Shear rate (1/s) against time (min)</figcaption><canvas id=\"chart-rate\"></canvas></figure>"
        "<figure><figcaption>Shear stress (dyn/cm2) against shear rate (1/s), per ramp, log axes</figcaption>"
        "<canvas id=\"chart-ramps\"></canvas></figure>"
        "</div></section>");

    body += QStringLiteral("<section><h2>Results</h2><form class=\"units\" method=\"get\" action=\"/tests/%1\">"
                           "<label>Units <select name=\"units\">").arg(id);
    for (int u = 1; u <= 3; ++u)
        body += QStringLiteral("<option value=\"%1\"%2>%3</option>")
                    .arg(u)
                    .arg(u == view.unitSystem ? QStringLiteral(" selected") : QString(),
                         QLatin1String(unitName(u)));
    body += QStringLiteral("</select></label> <button type=\"submit\">Show</button></form>"
                           "<div class=\"scroll\"><table class=\"results\"><thead><tr>");
    for (const QString& h : view.results->heading)
        body += QStringLiteral("<th>%1</th>").arg(escape(h).replace(u'\r', QStringLiteral("<br>")));
    body += QStringLiteral("</tr></thead><tbody>");
    int shown = 0;
    for (const QStringList& cells : view.results->rows) {
        if (std::all_of(cells.begin(), cells.end(), [](const QString& c) { return c.isEmpty(); }))
            continue;
        ++shown;
        body += QStringLiteral("<tr>");
        for (const QString& c : cells)
            body += QStringLiteral("<td>%1</td>").arg(escape(c));
        body += QStringLiteral("</tr>");
    }
    body += QStringLiteral("</tbody></table></div>");
    if (shown == 0)
        body += QStringLiteral("<p>No shear ramp has a result yet.</p>");
    if (view.running)
        body += QStringLiteral("<p class=\"note\">The results are those of the points recorded when the page "
                               "was opened; the charts follow the test.</p>");
    body += QStringLiteral("</section>");

    body += QStringLiteral("</main>");
    return page(i.name, body, {QStringLiteral("chart.js"), QStringLiteral("test.js")});
}

QByteArray loginPageHtml()
{
    // login.js sends the token as a header. The box has no name, so a form
    // sent by the browser itself (script not loaded yet, or off) cannot
    // carry it into the address either.
    const QString body = QStringLiteral(
        "<main class=\"login\"><h1>Sign in</h1>"
        "<p class=\"error\" id=\"refused\" hidden>That token is not the lab's token.</p>"
        "<form id=\"login\" autocomplete=\"off\">"
        "<label>Token <input type=\"password\" id=\"token\" required></label> "
        "<button type=\"submit\">Sign in</button></form>"
        "<noscript><p class=\"error\">Signing in needs JavaScript; programs send the token as "
        "\"Authorization: Bearer TOKEN\".</p></noscript></main>");
    return page(QStringLiteral("Sign in"), body, {QStringLiteral("login.js")});
}

QByteArray errorPageHtml(int status, const QString& text)
{
    return page(QString::number(status),
                QStringLiteral("<main><h1>%1</h1><p>%2</p><p><a href=\"/\">All tests</a></p></main>")
                    .arg(status)
                    .arg(escape(text)));
}

}  // namespace tz::web
