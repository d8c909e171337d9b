#pragma once
// tz360-cli serve [--listen HOST:PORT] [--token-file FILE]: the working
// directory's database shown read-only to browsers (see web/).
class QTextStream;

namespace tz {

// Runs "serve ..." from main's own arguments: the detail report's PDF lays
// out pages, which needs the GUI library, so this creates the application
// object (off screen).
int serveMain(int argc, char** argv);

void serveUsage(QTextStream& out);

}  // namespace tz
