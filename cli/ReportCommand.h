#pragma once
// tz360-cli report corvane|brief|detail NAME [-o FILE] and
// tz360-cli export NAME [--detail] -o FILE.xlsx: the report files of a stored
// test, the same files the main window writes.
#include <QStringList>

class QTextStream;

namespace tz {

// Runs "report ..." from main's own arguments: the detail report lays out
// pages, which needs the GUI library, so this creates the application object.
int reportMain(int argc, char** argv);

int exportCommand(const QStringList& args, QTextStream& out, QTextStream& err);

void reportUsage(QTextStream& out);

}  // namespace tz
