#pragma once
// Where the workstation's tests and sequences live: the embedded file
// TZ360.db in the working directory (one bench), or a PostgreSQL server that
// all the lab's workstations share. database.txt in the working directory, or
// the environment variable TZ360_DATABASE (it wins), names the server with a
// connection URI in the form psql accepts.
#include <QString>

namespace tz {

struct DatabaseLocation {
    enum class Kind { SqliteFile, Server };
    Kind kind = Kind::SqliteFile;

    QString filePath;        // SqliteFile: absolute path of TZ360.db

    // Server: the parts of the URI; empty parts are left to libpq's own
    // defaults (PGHOST, PGUSER, ..., the local socket).
    QString uri;             // as given, password removed
    QString host;            // host name, address or socket directory
    int port = -1;
    QString user;
    QString password;        // only when the URI carries one; never shown
    QString databaseName;
    QString connectOptions;  // further URI parameters, "key='value';..."

    bool isServer() const { return kind == Kind::Server; }
    // What the status bar and tz360-cli show: the file path, or the URI
    // without any password.
    QString display() const;
};

// Parses "postgresql://[user[:password]@][host][:port][/dbname][?key=value&...]"
// (also "postgres://"). host, port, user, dbname and password given as
// parameters take their place; other parameters become connect options.
// False with a message in error for anything else.
bool parseServerUri(const QString& uri, DatabaseLocation& location, QString& error);

// The database a workstation in dir (the working directory when empty) uses:
// TZ360_DATABASE, else the first non-blank line of dir/database.txt, else
// dir/TZ360.db. False with a message when the chosen URI cannot be used.
bool chooseDatabase(const QString& dir, DatabaseLocation& location, QString& error);

// The file that selects a server, beside TZ360.db.
inline constexpr const char* kServerFileName = "database.txt";
inline constexpr const char* kServerEnvVar = "TZ360_DATABASE";

}  // namespace tz
