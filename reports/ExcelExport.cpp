#include "reports/ExcelExport.h"

#include "app/Modules.h"
#include "app/NumberFormat.h"
#include "app/Settings.h"
#include "reports/ReportFile.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <cmath>

namespace tz {

namespace {

// A results-table cell goes into the sheet as the number it shows; text such
// as "N/A" stays text and an empty cell stays empty.
QVariant tableValue(const QString& text)
{
    static const QRegularExpression number(QStringLiteral("^\\s*[-+]?(\\d+\\.?\\d*|\\.\\d*)\\s*$"));
    if (text.trimmed().isEmpty())
        return {};
    if (number.match(text).hasMatch())
        return val(text);
    return text;
}

double toCelsius(double fahrenheit) { return (fahrenheit - 32) / 1.8; }

// Rounded to the tenth the point list shows.
double tenth(double value) { return std::round(value * 10) / 10; }

}  // namespace

SheetContent excelSheet(const TestInfoValues& info, const QList<AdditiveValues>& additives,
                        const ResultsTable& table, int unitSystem, bool detailed,
                        std::span<const ResultPoint> points)
{
    const bool cgs = unitSystem == UnitCGS;
    SheetContent sheet;
    auto put = [&](int row, int column, const QVariant& value, bool bold = false) {
        if (value.isValid() && !(value.typeId() == QMetaType::QString && value.toString().isEmpty()))
            sheet.cells.append({row - 1, column, value, bold});
    };

    put(1, 0, QStringLiteral("TZ360Frac Test Report"), true);
    const std::pair<const char*, QVariant> labelled[] = {
        {"Test Name:", info.name},
        {"Fluid ID:", info.fluidId},
        {"Test Time:", info.time.isValid() ? QVariant(info.time) : QVariant()},
        {"Researcher Name:", info.researcher},
        {"Rotor Number:", info.rotorNo},
        {"Bob Number:", info.bobNo},
        {"Bob Radius (cm)", info.bobRadius},
        {"Bob Eff. Length (cm):", info.bobEffLength},
        {"Pre-Test pH:", info.preTestPh},
        {"Post-Test pH:", info.postTestPh},
        {"Description:", info.description},
    };
    int row = 3;
    for (const auto& [label, value] : labelled) {
        put(row, 0, QString::fromLatin1(label));
        put(row, 1, value);
        ++row;
    }

    const QStringList additiveHeading = {"Additives", "Concentration", "Units", "Lot Number"};
    for (int c = 0; c < 4; ++c)
        put(row, c, additiveHeading[c], true);
    ++row;
    for (const AdditiveValues& a : additives) {
        put(row, 0, a.name);
        put(row, 1, a.concentration);
        put(row, 2, a.unit);
        put(row, 3, a.lotNo);
        ++row;
    }
    put(row, 0, QStringLiteral("Comments:"));
    put(row, 1, info.description);
    ++row;
    put(row, 0, QStringLiteral("Results:"));
    ++row;

    // The temperature column shows what the results table shows: °C only in SI.
    const QString tempUnit = unitSystem == UnitSI ? QStringLiteral("°C") : QStringLiteral("°F");
    const QStringList resultsHeading = {
        "Shear Ramp", "Time (Min)", "Temp (" + tempUnit + ")", "n'", "Kv", "Coef Detn. (R^2)", "K'",
        "K' Slot", "Calc. 40 (1/S)", "Calc. 100 (1/S)", "Calc. 170 (1/S)"};
    sheet.resultsHeadingRow = row - 1;
    for (int c = 0; c < resultsHeading.size(); ++c)
        put(row, c, resultsHeading[c], true);
    ++row;
    // Columns 0, 1, 2 and 4 to 11 of the table; the pressure is not exported.
    static const int tableColumns[] = {0, 1, 2, 4, 5, 6, 7, 8, 9, 10, 11};
    for (const QStringList& cells : table.rows) {
        for (int c = 0; c < 11; ++c)
            put(row, c, tableValue(cells.value(tableColumns[c])));
        ++row;
    }

    if (!detailed)
        return sheet;
    const QString pointTemp = cgs ? QStringLiteral("(°F)") : QStringLiteral("(°C)");
    const QStringList pointHeading = {
        "Ramp NO", "Ramp Step No", "Time (Min)", "Sample Temp" + pointTemp, "Pressure (Psi)",
        "Shear Rate (1/S)", "Shear Stress (dyn/cm2)", "Result Type", "Bath Temp", "Viscosity (cP)"};
    for (int c = 0; c < pointHeading.size(); ++c)
        put(row, c, pointHeading[c], true);
    ++row;
    for (const ResultPoint& p : points) {
        put(row, 0, double(p.rampNo));
        put(row, 1, double(p.rampStepNo));
        put(row, 2, p.time / 60);
        put(row, 3, cgs ? p.sampleTemp : tenth(toCelsius(p.sampleTemp)));
        put(row, 4, p.press);
        put(row, 5, p.shearRate);
        put(row, 6, p.shearStress);
        put(row, 7, double(p.typeId));
        put(row, 8, cgs ? p.bathTemp : tenth(toCelsius(p.bathTemp)));
        put(row, 9, p.shearRate < 0.00001 ? 0.0 : 100 * p.shearStress / p.shearRate);
        ++row;
    }
    return sheet;
}

void writeExcelFile(const QString& path, const SheetContent& sheet)
{
    QString error;
    const auto write = reinterpret_cast<WriteWorkbookFunction>(
        moduleFunction(QLatin1String(kWorkbookModule), kWriteWorkbook, &error));
    if (!write)
        throw ReportFileError(QStringLiteral("The workbook %1 could not be written: %2")
                                  .arg(QDir::toNativeSeparators(path), error));
    if (!write(path, sheet, &error))
        throw ReportFileError(error);
}

void exportTestToExcel(const QString& path, const OpenedTest& test, const ResultsTable& table,
                       int unitSystem, bool detailed, const QList<SheetCell>& summarySheet)
{
    SheetContent sheet = excelSheet(test.info, test.additives, table, unitSystem, detailed, test.points);
    if (detailed)
        sheet.summary = summarySheet;
    writeExcelFile(path, sheet);
}

}  // namespace tz
