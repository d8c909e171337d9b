// The workbook writer module (tz360-xlsx.so): puts a sheet's cells into an
// .xlsx file with libxlsxwriter. A module of its own because libxlsxwriter
// brings zip and OpenSSL's crypto library, whose loading every start of the
// workstation would pay although most sessions never export a spreadsheet.
#include "reports/SheetContent.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

#include <xlsxwriter.h>

namespace tz {
namespace {

bool writeWorkbook(const QString& path, const SheetContent& sheet, QString* error)
{
    const QByteArray fileName = QFile::encodeName(path);
    lxw_workbook* workbook = workbook_new(fileName.constData());
    if (!workbook) {
        *error = QStringLiteral("The workbook %1 could not be started.").arg(QDir::toNativeSeparators(path));
        return false;
    }
    lxw_worksheet* worksheet = workbook_add_worksheet(workbook, nullptr);
    lxw_format* bold = workbook_add_format(workbook);
    format_set_bold(bold);
    lxw_format* date = workbook_add_format(workbook);
    format_set_num_format(date, "m/d/yyyy h:mm:ss");
    lxw_format* boldDate = workbook_add_format(workbook);
    format_set_num_format(boldDate, "m/d/yyyy h:mm:ss");
    format_set_bold(boldDate);

    lxw_error failure = LXW_NO_ERROR;
    auto note = [&failure](lxw_error e) {
        if (failure == LXW_NO_ERROR && e != LXW_NO_ERROR)
            failure = e;
    };
    worksheet_set_column(worksheet, 0, 0, 22, nullptr);
    worksheet_set_column(worksheet, 1, 10, 14, nullptr);
    const auto writeCell = [&](lxw_worksheet* worksheet, const SheetCell& cell) {
        const auto r = static_cast<lxw_row_t>(cell.row);
        const auto c = static_cast<lxw_col_t>(cell.column);
        switch (cell.value.typeId()) {
        case QMetaType::QDateTime: {
            const QDateTime t = cell.value.toDateTime();
            lxw_datetime dt{t.date().year(), t.date().month(), t.date().day(), t.time().hour(),
                            t.time().minute(), t.time().second() + t.time().msec() / 1000.0};
            note(worksheet_write_datetime(worksheet, r, c, &dt, cell.bold ? boldDate : date));
            break;
        }
        case QMetaType::Double:
        case QMetaType::Int:
            note(worksheet_write_number(worksheet, r, c, cell.value.toDouble(), cell.bold ? bold : nullptr));
            break;
        default:
            note(worksheet_write_string(worksheet, r, c, cell.value.toString().toUtf8().constData(),
                                        cell.bold ? bold : nullptr));
            break;
        }
    };
    for (const SheetCell& cell : sheet.cells)
        writeCell(worksheet, cell);
    note(worksheet_repeat_rows(worksheet, static_cast<lxw_row_t>(sheet.resultsHeadingRow),
                               static_cast<lxw_row_t>(sheet.resultsHeadingRow)));
    worksheet_set_landscape(worksheet);
    worksheet_fit_to_pages(worksheet, 1, 10);
    if (!sheet.summary.isEmpty()) {
        lxw_worksheet* summary = workbook_add_worksheet(workbook, "Summary");
        if (!summary) {
            note(LXW_ERROR_MEMORY_MALLOC_FAILED);
        } else {
            worksheet_set_column(summary, 0, 0, 40, nullptr);
            worksheet_set_column(summary, 1, 1, 18, nullptr);
            for (const SheetCell& cell : sheet.summary)
                writeCell(summary, cell);
        }
    }

    // Closing writes the file; it frees the workbook whatever happens.
    note(workbook_close(workbook));
    if (failure == LXW_NO_ERROR) return true;
    *error = QStringLiteral("The workbook %1 could not be written: %2")
                 .arg(QDir::toNativeSeparators(path), QString::fromUtf8(lxw_strerror(failure)));
    return false;
}

}  // namespace
}  // namespace tz

extern "C" Q_DECL_EXPORT bool tz360_write_workbook(const QString& path, const tz::SheetContent& sheet,
                                                    QString* error)
{
    return tz::writeWorkbook(path, sheet, error);
}
