#include "web/WebSite.h"

#include "app/ProgramSettings.h"
#include "app/SettingsFile.h"
#include "db/DbError.h"
#include "db/clsConnection.h"
#include "reports/ReportFile.h"
#include "web/Downloads.h"
#include "web/LabReader.h"
#include "web/WebJson.h"
#include "web/WebPages.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrlQuery>
#include <cmath>
#include <limits>

namespace tz::web {

namespace {

// A request the site cannot take as written; answered 400 with the reason.
struct BadRequest {
    QString text;
};

// A form value: browsers send blanks as "+".
QString formValue(const QUrlQuery& query, const QString& key)
{
    QByteArray raw = query.queryItemValue(key, QUrl::FullyEncoded).toUtf8();
    raw.replace('+', ' ');
    return QUrl::fromPercentEncoding(raw);
}

int intValue(const QUrlQuery& query, const QString& key, int fallback, int low, int high)
{
    if (!query.hasQueryItem(key))
        return fallback;
    const QString text = formValue(query, key);
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok || v < low || v > high)
        throw BadRequest{QStringLiteral("%1 takes a whole number from %2 to %3").arg(key).arg(low).arg(high)};
    return v;
}

// The display settings of initial.txt, as the CLI reads them, with the unit
// system the viewer picked (?units=1|2|3) when given.
Settings displaySettings(const QUrlQuery& query)
{
    Settings s;
    SettingsFile::readDisplay(SettingsFile::defaultPath(), s);
    if (query.hasQueryItem(QStringLiteral("units")))
        s.unitSystem = intValue(query, QStringLiteral("units"), s.unitSystem, 1, 3);
    return s;
}

// An id segment: digits only, as the database numbers tests.
std::optional<int> idSegment(const QString& segment)
{
    if (segment.isEmpty() || segment.size() > 9)
        return std::nullopt;
    for (const QChar c : segment) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
    }
    const int id = segment.toInt();
    return id > 0 ? std::optional<int>(id) : std::nullopt;
}

WebResponse htmlResponse(int status, const QByteArray& body)
{
    return {status, "text/html; charset=utf-8", body, {}};
}

WebResponse jsonResponse(int status, const QByteArray& body)
{
    return {status, "application/json", body, {}};
}

WebResponse errorResponse(bool api, int status, const QString& text)
{
    if (api)
        return jsonResponse(status, QJsonDocument(QJsonObject{{"error", text}}).toJson(QJsonDocument::Compact));
    return htmlResponse(status, errorPageHtml(status, text));
}

WebResponse redirect(const QByteArray& location)
{
    WebResponse r{303, "text/plain; charset=utf-8", "See " + location + "\n", {}};
    r.headers.append(QPair<QByteArray, QByteArray>("Location", location));
    return r;
}

struct Asset {
    const char* name;
    const char* resource;
    const char* type;
};
constexpr Asset kAssets[] = {
    {"app.css", ":/web/assets/app.css", "text/css; charset=utf-8"},
    {"chart.js", ":/web/assets/chart.js", "text/javascript; charset=utf-8"},
    {"test.js", ":/web/assets/test.js", "text/javascript; charset=utf-8"},
    {"list.js", ":/web/assets/list.js", "text/javascript; charset=utf-8"},
    {"login.js", ":/web/assets/login.js", "text/javascript; charset=utf-8"},
};

}  // namespace

QList<QPair<QByteArray, QByteArray>> commonHeaders()
{
    return {{"Content-Security-Policy",
             "default-src 'none'; script-src 'self'; style-src 'self'; img-src 'self'; connect-src 'self'; "
             "form-action 'self'; base-uri 'none'; frame-ancestors 'none'"},
            {"X-Content-Type-Options", "nosniff"},
            {"X-Frame-Options", "DENY"},
            {"Referrer-Policy", "no-referrer"},
            {"Cross-Origin-Resource-Policy", "same-origin"}};
}

WebSite::WebSite(clsConnection& connection, TokenGate gate) : m_connection(connection), m_gate(std::move(gate)) {}

WebResponse WebSite::handle(const WebRequest& request)
{
    // The path as sent: nothing is decoded, so "%2e%2e" or "%2F" can only
    // fail to match a route, never name something else.
    const QString path = request.url.path(QUrl::FullyEncoded);
    QStringList segments = path.split(u'/');
    if (!segments.isEmpty() && segments.first().isEmpty())
        segments.removeFirst();
    if (segments.size() > 1 && segments.last().isEmpty())
        segments.removeLast();
    const bool api = !segments.isEmpty() && segments.first() == QLatin1String("api");

    WebResponse response;
    try {
        const bool open = segments.value(0) == QLatin1String("login") || segments.value(0) == QLatin1String("assets");
        if (!open && !m_gate.admits(request.authorization, request.cookie)) {
            if (api) {
                response = errorResponse(true, 401, QStringLiteral("A token is needed (Authorization: Bearer TOKEN)."));
                response.headers.append(QPair<QByteArray, QByteArray>("WWW-Authenticate", "Bearer"));
            } else {
                response = redirect("/login");
            }
        } else {
            response = route(request, segments);
        }
    } catch (const BadRequest& e) {
        response = errorResponse(api, 400, e.text);
    } catch (const DbError& e) {
        response = errorResponse(api, 503, QStringLiteral("The database does not answer: ") + e.text());
    } catch (const ReportFileError& e) {
        response = errorResponse(api, 500, e.text());
    }
    if (std::none_of(response.headers.begin(), response.headers.end(),
                        [](const auto& h) { return h.first == "Cache-Control"; }))
        response.headers.append(QPair<QByteArray, QByteArray>("Cache-Control", "no-store"));
    return response;
}

WebResponse WebSite::route(const WebRequest& request, const QStringList& s)
{
    const QUrlQuery query(request.url);
    const auto notFound = [&s] {
        return errorResponse(s.value(0) == QLatin1String("api"), 404, QStringLiteral("There is no such page or test."));
    };
    if (s.isEmpty() || (s.size() == 1 && s[0].isEmpty()))
        return listPage(query);
    if (s[0] == QLatin1String("login") && s.size() == 1)
        return login(request);
    if (s[0] == QLatin1String("logout") && s.size() == 1) {
        WebResponse r = redirect("/login");
        r.headers.append(QPair<QByteArray, QByteArray>("Set-Cookie", TokenGate::clearCookieHeader()));
        return r;
    }
    if (s[0] == QLatin1String("assets") && s.size() == 2)
        return asset(s[1]);
    if (s[0] == QLatin1String("tests") && s.size() >= 2) {
        const std::optional<int> id = idSegment(s[1]);
        if (!id)
            return notFound();
        if (s.size() == 2)
            return testPage(*id, query);
        if (s.size() == 4 && s[2] == QLatin1String("download"))
            return download(*id, s[3]);
        return notFound();
    }
    if (s[0] == QLatin1String("api") && s.size() >= 2 && s[1] == QLatin1String("tests")) {
        if (s.size() == 2)
            return apiList(query);
        const std::optional<int> id = idSegment(s[2]);
        if (!id)
            return notFound();
        if (s.size() == 3)
            return apiTest(*id, query);
        if (s.size() == 4 && s[3] == QLatin1String("points"))
            return apiPoints(*id, query);
    }
    return notFound();
}

namespace {

struct ListRequest {
    QString filter;
    int offset = 0;
    int limit = WebSite::kDefaultPageSize;
};

ListRequest listRequest(const QUrlQuery& query)
{
    ListRequest r;
    r.filter = formValue(query, QStringLiteral("q")).trimmed();
    if (r.filter.size() > WebSite::kMaxFilterLength)
        throw BadRequest{QStringLiteral("The name filter takes at most %1 characters.").arg(WebSite::kMaxFilterLength)};
    r.offset = intValue(query, QStringLiteral("offset"), 0, 0, std::numeric_limits<int>::max() / 2);
    r.limit = intValue(query, QStringLiteral("limit"), WebSite::kDefaultPageSize, 1, WebSite::kMaxPageSize);
    return r;
}

}  // namespace

WebResponse WebSite::listPage(const QUrlQuery& query)
{
    const ListRequest r = listRequest(query);
    LabReader reader(m_connection);
    return htmlResponse(200, listPageHtml(reader.listTests(r.filter, r.offset, r.limit), r.filter));
}

WebResponse WebSite::apiList(const QUrlQuery& query)
{
    const ListRequest r = listRequest(query);
    LabReader reader(m_connection);
    return jsonResponse(200, testListJson(reader.listTests(r.filter, r.offset, r.limit)));
}

WebResponse WebSite::testPage(int id, const QUrlQuery& query)
{
    const Settings settings = displaySettings(query);
    LabReader reader(m_connection);
    const std::optional<ListedTest> header = reader.testHeader(id);
    const std::optional<OpenedTest> test = header ? reader.test(id) : std::nullopt;
    if (!test)
        return errorResponse(false, 404, QStringLiteral("There is no test %1.").arg(id));
    const ResultsTable results = buildResultsTable(test->analyse(settings), settings);
    TestPageView view;
    view.test = &*test;
    view.results = &results;
    view.unitSystem = settings.unitSystem >= 1 && settings.unitSystem <= 3 ? settings.unitSystem : 1;
    view.running = header->running;
    view.lastPointTime = header->lastPointTime.value_or(-1);
    return htmlResponse(200, testPageHtml(view));
}

WebResponse WebSite::apiTest(int id, const QUrlQuery& query)
{
    const Settings settings = displaySettings(query);
    LabReader reader(m_connection);
    const std::optional<ListedTest> header = reader.testHeader(id);
    const std::optional<OpenedTest> test = header ? reader.test(id) : std::nullopt;
    if (!test)
        return errorResponse(true, 404, QStringLiteral("There is no test %1.").arg(id));
    const ResultsTable results = buildResultsTable(test->analyse(settings), settings);
    return jsonResponse(200, testJson(*test, results, settings, ProgramSettings().summaryThresholdCp(), *header));
}

WebResponse WebSite::apiPoints(int id, const QUrlQuery& query)
{
    const Settings settings = displaySettings(query);
    double after = -std::numeric_limits<double>::infinity();
    if (query.hasQueryItem(QStringLiteral("after"))) {
        bool ok = false;
        after = formValue(query, QStringLiteral("after")).toDouble(&ok);
        if (!ok || !std::isfinite(after))
            throw BadRequest{QStringLiteral("after takes a time in seconds from the start of the test")};
    }
    LabReader reader(m_connection);
    const std::optional<ListedTest> header = reader.testHeader(id);
    if (!header)
        return errorResponse(true, 404, QStringLiteral("There is no test %1.").arg(id));
    // -infinity reaches the engine as the lowest finite double: every point.
    const std::vector<ResultPoint> points =
        reader.pointsAfter(id, std::isfinite(after) ? after : std::numeric_limits<double>::lowest());
    return jsonResponse(200, pointsJson(points, settings, header->running, after));
}

WebResponse WebSite::download(int id, const QString& kind)
{
    const std::optional<DownloadKind> k = downloadKind(kind);
    if (!k)
        return errorResponse(false, 404, QStringLiteral("There is no such download."));
    Settings settings;
    SettingsFile::readDisplay(SettingsFile::defaultPath(), settings);
    LabReader reader(m_connection);
    const std::optional<OpenedTest> test = reader.test(id);
    if (!test)
        return errorResponse(false, 404, QStringLiteral("There is no test %1.").arg(id));
    const Download d = makeDownload(*k, *test, settings);
    WebResponse r{200, d.contentType, d.bytes, {}};
    r.headers.append(QPair<QByteArray, QByteArray>("Content-Disposition", contentDisposition(d.fileName)));
    return r;
}

// The sign-in page's script sends the token as a bearer header and gets the
// session cookie back; the token never travels in an address, where the
// browser's history and any proxy's log would keep it.
WebResponse WebSite::login(const WebRequest& request)
{
    if (!m_gate.required())
        return redirect("/");
    if (request.authorization.isEmpty())
        return htmlResponse(200, loginPageHtml());
    if (!m_gate.admits(request.authorization, {}))
        return errorResponse(true, 401, QStringLiteral("That token is not the lab's token."));
    WebResponse r{204, {}, {}, {}};
    r.headers.append(QPair<QByteArray, QByteArray>("Set-Cookie", m_gate.setCookieHeader()));
    return r;
}

WebResponse WebSite::asset(const QString& name)
{
    for (const Asset& a : kAssets) {
        if (name == QLatin1String(a.name)) {
            QFile file(QString::fromLatin1(a.resource));
            if (!file.open(QIODevice::ReadOnly))
                break;
            WebResponse r{200, a.type, file.readAll(), {}};
            r.headers.append(QPair<QByteArray, QByteArray>("Cache-Control", "max-age=300"));
            return r;
        }
    }
    return errorResponse(false, 404, QStringLiteral("There is no such page or test."));
}

}  // namespace tz::web
