#pragma once
// The program's own run-time modules (lib/tz360/modules): parts that bring
// heavy libraries with them and are loaded when first used, so that starting
// a program never waits for them.
#include <QString>

namespace tz {

// The function symbol of module file (e.g. "tz360-xlsx.so"), loaded on first
// use and never unloaded (what it made may live until the end). Null, with
// error saying why, when the module is missing or does not hold it.
QFunctionPointer moduleFunction(const QString& file, const char* symbol, QString* error);

}  // namespace tz
