#pragma once
// The files a browser downloads, made in memory by the same functions that
// write them for tz360-cli report and export, so the bytes are the same.
#include "analysis/OpenedTest.h"
#include "app/Settings.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace tz::web {

enum class DownloadKind { Corvane, Brief, Xlsx, XlsxDetail, Pdf, Csv };

// From the last segment of /tests/ID/download/KIND; empty for anything else.
std::optional<DownloadKind> downloadKind(const QString& name);

struct Download {
    QByteArray bytes;
    QString fileName;        // as tz360-cli names it by default
    QByteArray contentType;
};

// settings: the display settings of initial.txt, as the CLI reads them.
// Throws ReportFileError when a file cannot be made.
Download makeDownload(DownloadKind kind, const OpenedTest& test, const Settings& settings);

// "attachment; filename=..." with an ASCII fallback and the UTF-8 name.
QByteArray contentDisposition(const QString& fileName);

}  // namespace tz::web
