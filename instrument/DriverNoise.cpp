#include "instrument/DriverNoise.h"

#include <QtGlobal>

#include <atomic>
#include <cstdio>
#include <mutex>

namespace tz::driverNoise {

namespace {

std::atomic<bool> g_quiet{false};
QtMessageHandler g_previous = nullptr;
std::once_flag g_installed;

void forward(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (g_previous)
        g_previous(type, context, message);
    else
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

void filter(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (g_quiet.load() && type == QtWarningMsg && isOutageNoise(message))
        return;
    forward(type, context, message);
}

}  // namespace

bool isOutageNoise(const QString& message)
{
    return message.startsWith(QLatin1String("QPSQL: Unable to connect"))
        || message.startsWith(QLatin1String("QPSQLDriver::"))
        || message.contains(QLatin1String("Unable to free statement"))
        || message.startsWith(QLatin1String("QPSQL: Unable to"))
        || message.endsWith(QLatin1String("database not open"));
}

void install()
{
    std::call_once(g_installed, [] { g_previous = qInstallMessageHandler(filter); });
}

void databaseAway()
{
    install();
    g_quiet.store(true);
}

void databaseBack() { g_quiet.store(false); }

bool quiet() { return g_quiet.load(); }

}  // namespace tz::driverNoise
