#pragma once
// The desktop dialogs the report commands use (save dialog, print dialog,
// print preview, opening a written file), gathered so that a test can answer
// them in place of an operator.
#include <QString>
#include <functional>

class QPrinter;
class QTextDocument;
class QWidget;

namespace tz {

class Prompt;

struct ReportDialogs {
    // A save dialog; the chosen path, or empty when cancelled.
    std::function<QString(QWidget* parent, const QString& caption, const QString& suggestedPath,
                          const QString& filters, const QString& selectedFilter)>
        saveFileName;
    // The print dialog on printer; false when cancelled. Copies are left in
    // printer.copyCount().
    std::function<bool(QWidget* parent, QPrinter& printer)> printDialog;
    // Shows the detail report in a print preview until the operator closes it.
    std::function<void(QWidget* parent, Prompt& prompt, QTextDocument& document)> preview;
    // Opens a written file with the desktop's application for it; false when
    // there is none.
    std::function<bool(const QString& path)> openFile;

    // The real dialogs.
    static ReportDialogs desktop();
};

}  // namespace tz
