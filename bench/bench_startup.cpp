// Start-up of the workstation against its floor: starts `tz360` and a bare Qt
// window (bench_bare_window) in turn on the same X display, and prints for
// each the time from launch to its main window being mapped on the screen and
// its resident memory once it has settled (two seconds after the window
// showed, before any chart is drawn). Both are started in a scratch working
// folder that already holds a database, so the figures are those of an
// ordinary morning start, not of a first installation.
//
//   bench_startup [--runs N] [--tz360 PATH] [--bare PATH]
//
// Run it under xvfb-run; paths default to the programs beside this one.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>

#include <xcb/xcb.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <poll.h>
#include <vector>

namespace {

struct Launch {
    double visibleMs = 0;
    double rssMb = 0;
};

QByteArray windowName(xcb_connection_t* x, xcb_window_t w, xcb_atom_t netWmName)
{
    for (const xcb_atom_t atom : {netWmName, xcb_atom_t(XCB_ATOM_WM_NAME)}) {
        const auto cookie = xcb_get_property(x, 0, w, atom, XCB_GET_PROPERTY_TYPE_ANY, 0, 256);
        std::unique_ptr<xcb_get_property_reply_t, decltype(&free)> reply(
            xcb_get_property_reply(x, cookie, nullptr), &free);
        if (reply && xcb_get_property_value_length(reply.get()) > 0)
            return QByteArray(static_cast<const char*>(xcb_get_property_value(reply.get())),
                              xcb_get_property_value_length(reply.get()));
    }
    return {};
}

double rssMegabytes(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return -1;
}

// Launches program in folder and waits for a top-level window titled title
// to be mapped; nothing when it did not show within 20 s.
std::optional<Launch> launch(xcb_connection_t* x, xcb_atom_t netWmName, const QString& program,
                             const QString& folder, const QByteArray& title)
{
    QProcess child;
    child.setWorkingDirectory(folder);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer clock;
    clock.start();
    child.start(program, {});
    if (!child.waitForStarted(5000))
        return std::nullopt;
    std::optional<Launch> result;
    pollfd pfd{xcb_get_file_descriptor(x), POLLIN, 0};
    while (!result && clock.elapsed() < 20000) {
        xcb_generic_event_t* ev = xcb_poll_for_event(x);
        if (!ev) {
            poll(&pfd, 1, 50);
            continue;
        }
        if ((ev->response_type & 0x7f) == XCB_MAP_NOTIFY) {
            const auto* map = reinterpret_cast<xcb_map_notify_event_t*>(ev);
            const double ms = clock.nsecsElapsed() / 1e6;
            if (windowName(x, map->window, netWmName) == title)
                result = Launch{ms, 0};
        }
        free(ev);
    }
    if (result) {
        QThread::msleep(2000);
        result->rssMb = rssMegabytes(child.processId());
    }
    child.kill();
    child.waitForFinished(5000);
    return result;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const QStringList args = app.arguments();
    const auto option = [&](const QString& name, const QString& fallback) {
        const qsizetype i = args.indexOf(name);
        return i > 0 && i + 1 < args.size() ? args.at(i + 1) : fallback;
    };
    const QString here = QCoreApplication::applicationDirPath();
    const QString workstation = option(QStringLiteral("--tz360"), here + QStringLiteral("/tz360"));
    const QString bare = option(QStringLiteral("--bare"), here + QStringLiteral("/bench_bare_window"));
    const int runs = std::max(1, option(QStringLiteral("--runs"), QStringLiteral("5")).toInt());

    xcb_connection_t* x = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(x)) {
        out << "no X display: run under xvfb-run\n";
        return 1;
    }
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(x)).data;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(x, screen->root, XCB_CW_EVENT_MASK, &mask);
    const auto atomCookie = xcb_intern_atom(x, 0, 12, "_NET_WM_NAME");
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&free)> atom(
        xcb_intern_atom_reply(x, atomCookie, nullptr), &free);
    const xcb_atom_t netWmName = atom ? atom->atom : xcb_atom_t(XCB_ATOM_WM_NAME);
    xcb_flush(x);

    QTemporaryDir folder;
    struct Subject {
        QString label, program;
        QByteArray title;
        std::vector<double> ms, rss;
    };
    std::vector<Subject> subjects{
        {QStringLiteral("tz360"), workstation, QByteArrayLiteral("TZ360 HPHT Automatic Rheometer"), {}, {}},
        {QStringLiteral("bare Qt window"), bare, QByteArrayLiteral("Bare Qt window"), {}, {}},
    };
    // One start that is not counted: it creates the database and the bob file
    // and brings the libraries into the page cache.
    for (Subject& s : subjects)
        if (!launch(x, netWmName, s.program, folder.path(), s.title)) {
            out << s.label << ": no window within 20 s (" << s.program << ")\n";
            return 1;
        }
    for (int run = 0; run < runs; ++run)
        for (Subject& s : subjects)
            if (const auto l = launch(x, netWmName, s.program, folder.path(), s.title)) {
                s.ms.push_back(l->visibleMs);
                s.rss.push_back(l->rssMb);
            }
    out << QStringLiteral("launch to visible window and settled RSS, median of %1 starts each\n").arg(runs);
    for (const Subject& s : subjects)
        out << QStringLiteral("%1 %2 ms  %3 MB\n")
                   .arg(s.label, -16)
                   .arg(median(s.ms), 7, 'f', 0)
                   .arg(median(s.rss), 6, 'f', 1);
    const double floorMs = median(subjects[1].ms);
    if (floorMs > 0)
        out << QStringLiteral("tz360 / bare window: %1x\n").arg(median(subjects[0].ms) / floorMs, 0, 'f', 2);
    xcb_disconnect(x);
    return 0;
}
