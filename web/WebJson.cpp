#include "web/WebJson.h"

#include "analysis/SummaryFields.h"
#include "reports/PointsExport.h"
#include "web/WebPages.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <charconv>
#include <cmath>

namespace tz::web {

namespace {

// Shortest text that reads back as the same double; null when not finite.
// (std::to_chars: a long test has millions of numbers to write.)
void appendNumber(QByteArray& out, double v)
{
    if (!std::isfinite(v)) {
        out += "null";
        return;
    }
    char text[32];
    const std::to_chars_result r = std::to_chars(text, text + sizeof text, v);
    out.append(text, r.ptr - text);
}

void appendInt(QByteArray& out, int v)
{
    char text[16];
    const std::to_chars_result r = std::to_chars(text, text + sizeof text, v);
    out.append(text, r.ptr - text);
}

QJsonValue optionalNumber(std::optional<double> v)
{
    return v && std::isfinite(*v) ? QJsonValue(*v) : QJsonValue();
}

}  // namespace

QByteArray testListJson(const TestListPage& page)
{
    QJsonArray tests;
    for (const ListedTest& t : page.tests)
        tests.append(QJsonObject{{"id", t.testId},
                                 {"name", t.name},
                                 {"time", t.time.isValid() ? QJsonValue(t.time.toString(Qt::ISODate)) : QJsonValue()},
                                 {"researcher", t.researcher},
                                 {"fluid_id", t.fluidId},
                                 {"last_point_s", optionalNumber(t.lastPointTime)},
                                 {"running", t.running}});
    return QJsonDocument(QJsonObject{{"total", page.total},
                                     {"offset", page.offset},
                                     {"limit", page.limit},
                                     {"tests", tests}})
        .toJson(QJsonDocument::Compact);
}

QByteArray testJson(const OpenedTest& test, const ResultsTable& results, const Settings& settings,
                    double thresholdCp, const ListedTest& header)
{
    QJsonObject root = testJsonWithoutPoints(test, settings, thresholdCp);
    QJsonArray heading;
    for (const QString& h : results.heading)
        heading.append(QString(h).replace(u'\r', u' '));
    QJsonArray rows;
    for (const QStringList& cells : results.rows) {
        if (std::all_of(cells.begin(), cells.end(), [](const QString& c) { return c.isEmpty(); }))
            continue;
        rows.append(QJsonArray::fromStringList(cells));
    }
    root.insert("results", QJsonObject{{"heading", heading}, {"rows", rows}});
    root.insert("id", test.info.testId);
    root.insert("point_count", static_cast<qint64>(test.points.size()));
    root.insert("last_point_s", optionalNumber(header.lastPointTime));
    root.insert("running", header.running);
    return QJsonDocument(root).toJson(QJsonDocument::Compact);
}

QByteArray pointsJson(std::span<const ResultPoint> points, const Settings& s, bool running, double after)
{
    QByteArray out;
    out.reserve(static_cast<qsizetype>(points.size()) * 96 + 512);
    out += "{\"units\":{\"time\":\"s\",\"temperature\":\"";
    out += temperatureUnit(s).toUtf8();
    out += "\",\"pressure\":\"";
    out += exportPressureUnit(s).toUtf8();
    out += "\",\"shear_rate\":\"1/s\",\"shear_stress\":\"dyn/cm2\",\"viscosity\":\"cP\"},"
           "\"columns\":[\"ramp\",\"step\",\"type\",\"time_s\",\"sample_temp\",\"bath_temp\",\"pressure\","
           "\"shear_rate\",\"shear_stress\",\"viscosity_cp\"],\"points\":[";
    bool first = true;
    for (const ResultPoint& p : points) {
        out += first ? "[" : ",[";
        first = false;
        appendInt(out, p.rampNo);
        out += ',';
        appendInt(out, p.rampStepNo);
        out += ',';
        appendInt(out, p.typeId);
        for (const double v : {p.time, exportTemperature(p.sampleTemp, s), exportTemperature(p.bathTemp, s),
                               exportPressure(p.press, s), p.shearRate, p.shearStress}) {
            out += ',';
            appendNumber(out, v);
        }
        out += ',';
        const std::optional<double> visc = pointViscosityCp(p);
        appendNumber(out, visc ? *visc : std::nan(""));
        out += ']';
    }
    out += "],\"last_time\":";
    if (!points.empty())
        appendNumber(out, points.back().time);
    else if (std::isfinite(after))
        appendNumber(out, after);
    else
        out += "null";
    out += ",\"running\":";
    out += running ? "true" : "false";
    out += '}';
    return out;
}

}  // namespace tz::web
