#pragma once
// Number text as the instrument, the settings file and the reports expect it.
// Everything that writes a number through a digit pattern ("000.0", "####.#",
// "##0.##", "0.###############") or reads an operator's text as a number goes
// through here, so screens, files and the serial line agree to the digit.
#include <QString>
#include <QStringList>
#include <QStringView>

namespace tz {

// Digit-placeholder pattern: "0" pads with zeros, "#" prints only significant
// digits, "." places the point. Rounded (half away from zero, on the decimal
// value as written) to the places shown; the integer part is never truncated;
// a value below 1 under "##.##" starts with the point; a pattern with a point
// and no required decimals keeps the point ("0.###" of 2 gives "2."); a pattern
// of only "#" gives an empty text for 0. Negative values get a leading "-".
QString formatNumber(double value, QStringView pattern);

// The number with its sign position: " 3", "-2", " 12.5", " .5" (shortest
// decimal form of at most 15 significant digits, no exponent, no leading
// zero before the point): " 3.26743808962264" for 3.2674380896226416.
QString numberText(double value);

// A number as a print statement writes it to a file: sign position, digits,
// one trailing blank (" 3 ").
QString printNumber(double value);

// Width of a print zone.
inline constexpr int kPrintZone = 14;

// Items written one after another, each starting at the first column of the
// next 14-character zone (the gaps filled with blanks).
QString printZones(const QStringList& items);

// Pads text with blanks up to the start of the next print zone.
QString padToNextZone(const QString& text);

// Lenient text-to-number: the leading number of the text (blanks before it
// skipped, optional sign, digits, point, exponent); 0 when there is none.
double val(QStringView text);

}  // namespace tz
