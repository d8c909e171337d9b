#include "app/Modules.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QLibrary>
#include <QMutex>

namespace tz {

namespace {

// A module is looked for where the package installs it (PREFIX/lib/tz360/
// modules for PREFIX/bin/tz360), and, for a program run from the build tree
// (the tests run from folders below it), at the top of that tree. An
// installed program never looks into a build folder.
QStringList candidates(const QString& file)
{
    const QString bin = QCoreApplication::applicationDirPath();
    QStringList paths{QDir::cleanPath(bin + QStringLiteral("/../lib/tz360/modules/") + file)};
    const QString buildTree = QStringLiteral(TZ360_BUILD_MODULE_DIR);
    if (bin == buildTree || bin.startsWith(buildTree + u'/')) paths << buildTree + u'/' + file;
    return paths;
}

struct Found {
    QFunctionPointer function = nullptr;
    QString error;
};

}  // namespace

QFunctionPointer moduleFunction(const QString& file, const char* symbol, QString* error)
{
    // Exports may be written from worker threads (the web view); each symbol
    // is looked up once.
    static QMutex lock;
    static QHash<QString, Found> found;
    const QMutexLocker hold(&lock);
    const QString key = file + u'\n' + QLatin1String(symbol);
    auto it = found.find(key);
    if (it == found.end()) {
        Found f;
        for (const QString& path : candidates(file)) {
            if (!QFileInfo::exists(path)) continue;
            QLibrary module(path);
            if (!module.load()) {
                f.error = module.errorString();
                continue;
            }
            f.function = module.resolve(symbol);
            if (f.function) break;
            f.error = QStringLiteral("%1 holds no %2 (a module of another version?).").arg(path, QLatin1String(symbol));
        }
        if (!f.function && f.error.isEmpty())
            f.error = QStringLiteral("%1 is not installed beside the program.").arg(file);
        it = found.insert(key, f);
    }
    if (!it->function && error) *error = it->error;
    return it->function;
}

}  // namespace tz
