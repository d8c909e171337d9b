#pragma once
// The one way this program asks where to save a file (charts, reports,
// spreadsheets, calibration reports). These dialogs open in the working
// folder, beside TZ360.db and its -wal and -shm files, while the database
// connection holds them open and locked. Qt's own file dialog tells a file's
// type by reading its first bytes; on POSIX systems closing that extra
// descriptor drops every lock this process holds on the file, and another
// program then checkpoints and deletes the WAL under the recording units.
// This dialog tells types from file names alone and never opens a file.
//
// File dialogs that Qt opens by itself (the print dialog's "Print to file"
// browser, its file-name completer) get the same treatment: every
// application object of a program linking this file installs, when it is
// created, a watcher that gives each file dialog and each file-system model
// of a dialog the name-only icons as it is shown, and Qt's own dialogs are
// used in place of the desktop's.
#include <QFileDialog>
#include <QFileIconProvider>
#include <QString>

class QWidget;

namespace tz {

// Icons and type names from the file name only: never opens, reads or
// closes the files it is asked about.
class NameOnlyIconProvider : public QFileIconProvider {
public:
    using QFileIconProvider::icon;
    QIcon icon(const QFileInfo& info) const override;
    QString type(const QFileInfo& info) const override;
};

// The save dialog: suggestedPath is a folder, or a file whose folder is shown
// with its name filled in (empty: the working folder). filters as for
// QFileDialog ("Text Files(*.txt);;All Files (*.*)"). selectedFilter, when
// given, chooses the filter shown first and receives the one chosen. Returns
// the chosen path, or an empty text when cancelled.
QString getSaveFileName(QWidget* parent, const QString& caption, const QString& suggestedPath,
                        const QString& filters, QString* selectedFilter = nullptr,
                        QFileDialog::Options options = {});

}  // namespace tz
