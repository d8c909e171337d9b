#include "app/NumberFormat.h"

#include <charconv>
#include <cmath>
#include <string>

namespace tz {

namespace {

// Shortest decimal digits that read back as value, with no exponent:
// the digit string as a person would type the number.
std::string plainDecimal(double value) {
    // Room for the longest fixed form of a double (1e308, or 5e-324 with all
    // its leading zeros).
    char buf[400];
    auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::fixed);
    return std::string(buf, res.ptr);
}

// Rounds a plain decimal text ("123.4567") to `places` decimals, half away
// from zero, on the written digits. Returns integer and fraction digit strings.
void roundDecimal(const std::string& text, int places, std::string& intPart, std::string& frac) {
    const auto dot = text.find('.');
    intPart = text.substr(0, dot);
    frac = dot == std::string::npos ? std::string() : text.substr(dot + 1);
    if (static_cast<int>(frac.size()) <= places) {
        frac.append(places - frac.size(), '0');
        return;
    }
    const bool up = frac[places] >= '5';
    frac.resize(places);
    if (!up) return;
    std::string digits = intPart + frac;
    int i = static_cast<int>(digits.size()) - 1;
    for (; i >= 0; --i) {
        if (digits[i] == '9') {
            digits[i] = '0';
        } else {
            ++digits[i];
            break;
        }
    }
    if (i < 0) digits.insert(digits.begin(), '1');
    intPart = digits.substr(0, digits.size() - places);
    frac = digits.substr(digits.size() - places);
}

// The double nearest to value written with at most 15 significant digits:
// a print statement never shows more, so 0.1 + 0.2 prints as .3 and a
// calibration stress as 3.26743808962264, not with the binary noise after.
double printPrecision(double value) {
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 14);
    double rounded = value;
    std::from_chars(buf, res.ptr, rounded);
    return rounded;
}

}  // namespace

QString formatNumber(double value, QStringView pattern) {
    if (!std::isfinite(value)) return QString::number(value);
    const qsizetype dot = pattern.indexOf(u'.');
    const QStringView intPat = dot < 0 ? pattern : pattern.left(dot);
    const QStringView fracPat = dot < 0 ? QStringView() : pattern.mid(dot + 1);

    const int minInt = static_cast<int>(intPat.count(u'0'));
    const int minFrac = static_cast<int>(fracPat.count(u'0'));
    const int maxFrac = static_cast<int>(fracPat.count(u'0') + fracPat.count(u'#'));

    std::string intPart, frac;
    roundDecimal(plainDecimal(value), maxFrac, intPart, frac);

    // Significant integer digits only; "0" placeholders pad them back.
    intPart.erase(0, intPart.find_first_not_of('0'));
    if (static_cast<int>(intPart.size()) < minInt)
        intPart.insert(0, minInt - intPart.size(), '0');

    while (static_cast<int>(frac.size()) > minFrac && frac.back() == '0') frac.pop_back();

    // The sign belongs to the value, not to the digits shown: a set point of
    // -0.04 goes out as "-000.0", never as a positive zero.
    std::string out = value < 0 ? "-" : "";
    out += intPart;
    if (dot >= 0) out += '.' + frac;
    return QString::fromStdString(out);
}

QString numberText(double value) {
    if (!std::isfinite(value)) return QString::number(value);
    value = printPrecision(value);
    std::string digits = plainDecimal(value);
    if (digits.find('.') != std::string::npos) {
        while (digits.back() == '0') digits.pop_back();
        if (digits.back() == '.') digits.pop_back();
    }
    if (digits.size() > 1 && digits[0] == '0' && digits[1] == '.') digits.erase(0, 1);
    const bool negative = value < 0 && digits != "0";
    return QString::fromStdString((negative ? "-" : " ") + digits);
}

QString printNumber(double value) { return numberText(value) + u' '; }

QString padToNextZone(const QString& text) {
    const qsizetype next = (text.size() / kPrintZone + 1) * kPrintZone;
    return text + QString(next - text.size(), u' ');
}

QString printZones(const QStringList& items) {
    QString line;
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (i > 0) line = padToNextZone(line);
        line += items[i];
    }
    return line;
}

double val(QStringView text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (text[i] == u' ' || text[i] == u'\t' || text[i] == u'\r' || text[i] == u'\n')) ++i;
    const qsizetype start = i;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) ++i;
    qsizetype digits = 0;
    while (i < n && text[i].isDigit() && text[i].unicode() < 128) ++i, ++digits;
    if (i < n && text[i] == u'.') {
        ++i;
        while (i < n && text[i].isDigit() && text[i].unicode() < 128) ++i, ++digits;
    }
    if (digits == 0) return 0.0;
    qsizetype end = i;
    // An exponent counts only when digits follow it.
    if (i < n && (text[i] == u'e' || text[i] == u'E' || text[i] == u'd' || text[i] == u'D')) {
        qsizetype j = i + 1;
        if (j < n && (text[j] == u'+' || text[j] == u'-')) ++j;
        const qsizetype expStart = j;
        while (j < n && text[j].isDigit() && text[j].unicode() < 128) ++j;
        if (j > expStart) end = j;
    }
    QString number = text.mid(start, end - start).toString();
    number.replace(u'd', u'e').replace(u'D', u'e');
    bool ok = false;
    const double v = number.toDouble(&ok);
    return ok ? v : 0.0;
}

}  // namespace tz
