#include "cli/ServeCommand.h"

#include "db/clsConnection.h"
#include "web/ReadOnlyDatabase.h"
#include "web/TokenGate.h"
#include "web/WebServer.h"

#include <QDir>
#include <QGuiApplication>
#include <QHostAddress>
#include <QSocketNotifier>
#include <QTextStream>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace tz {

void serveUsage(QTextStream& out)
{
    out << "  serve [--listen HOST:PORT] [--token-file FILE]\n"
           "          shows the database to browsers, read-only: the test list, each test\n"
           "          with its results and charts (running tests follow their points), the\n"
           "          report files; default 127.0.0.1:8360 (port 0: any free port); any\n"
           "          address but a loopback one needs --token-file (first line: the token,\n"
           "          at least 16 characters); runs until SIGINT or SIGTERM\n";
}

namespace {

int signalPipe[2] = {-1, -1};

extern "C" void onStopSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &byte, 1);
}

struct ServeOptions {
    QHostAddress address{QHostAddress::LocalHost};
    quint16 port = 8360;
    QString tokenFile;
};

bool parseListen(const QString& text, ServeOptions& o)
{
    const qsizetype colon = text.lastIndexOf(u':');
    if (colon <= 0)
        return false;
    QString host = text.left(colon);
    if (host.startsWith(u'[') && host.endsWith(u']'))
        host = host.mid(1, host.size() - 2);
    bool ok = false;
    const uint port = text.mid(colon + 1).toUInt(&ok);
    if (!ok || port > 65535)
        return false;
    if (host == QLatin1String("localhost"))
        o.address = QHostAddress(QHostAddress::LocalHost);
    else if (!o.address.setAddress(host))
        return false;
    o.port = static_cast<quint16>(port);
    return true;
}

bool parse(const QStringList& args, ServeOptions& o, QString& error)
{
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a != QLatin1String("--listen") && a != QLatin1String("--token-file")) {
            error = "unknown option " + a;
            return false;
        }
        if (i + 1 >= args.size()) {
            error = a + " needs a value";
            return false;
        }
        const QString& value = args[++i];
        if (a == QLatin1String("--token-file")) {
            o.tokenFile = value;
        } else if (!parseListen(value, o)) {
            error = "--listen takes an address and a port, e.g. 127.0.0.1:8360 or [::1]:8360";
            return false;
        }
    }
    return true;
}

}  // namespace

int serveMain(int argc, char** argv)
{
    // A server needs no screen; the PDF's pages are laid out off screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);

    ServeOptions options;
    QString error;
    if (!parse(QCoreApplication::arguments().mid(2), options, error)) {
        err << "tz360-cli serve: " << error << "\n";
        return 1;
    }
    QByteArray token;
    if (!options.tokenFile.isEmpty() && !web::TokenGate::readTokenFile(options.tokenFile, token, error)) {
        err << "tz360-cli serve: " << error << "\n";
        return 1;
    }
    if (token.isEmpty() && !options.address.isLoopback()) {
        err << "tz360-cli serve: listening on " << options.address.toString()
            << " lets other computers in: give the lab's token with --token-file FILE\n";
        return 1;
    }

    clsConnection connection;
    if (!web::openReadOnlyDatabase(connection, QString(), error)) {
        err << "tz360-cli serve: " << error << "\n";
        return 2;
    }
    err << "Database: " << connection.description() << " (read-only)\n";

    web::WebServer server(connection, web::TokenGate(token));
    if (!server.listenOn(options.address, options.port, error)) {
        err << "tz360-cli serve: cannot listen on " << options.address.toString() << ":" << options.port
            << ": " << error << "\n";
        return 3;
    }

    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        err << "tz360-cli serve: no pipe for the stop signals\n";
        return 3;
    }
    QSocketNotifier stopNotifier(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&stopNotifier, &QSocketNotifier::activated, &app, [] {
        char byte = 0;
        while (::read(signalPipe[0], &byte, 1) > 0) {}
        QCoreApplication::quit();
    });
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    const QString host = options.address.protocol() == QAbstractSocket::IPv6Protocol
        ? QLatin1Char('[') + options.address.toString() + QLatin1Char(']')
        : options.address.toString();
    out << "Serving http://" << host << ":" << server.port() << "/"
        << (token.isEmpty() ? QString() : QStringLiteral(" (token required)")) << "\n";
    out.flush();
    err.flush();
    const int code = app.exec();
    out << "Stopped.\n";
    return code;
}

}  // namespace tz
