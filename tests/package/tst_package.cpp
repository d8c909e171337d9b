// The Debian package a lab's IT installs: built with CPack from this build
// tree, listed and unpacked with dpkg-deb into a throw-away root, and the
// unpacked programs run from there, in empty folders, as on a fresh workstation.
// lintian must find no error in it. Skipped, saying why, without dpkg-deb.
#include "analysis/StoredTests.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

namespace {

const QString kVersion = QStringLiteral(TZ360_EXPECTED_VERSION);

struct Ran {
    int exit = -1;
    QString out;
    QString err;
};

Ran run(const QString& program, const QStringList& args, const QString& dir = {},
        const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) {
    QProcess p;
    p.setProcessEnvironment(env);
    if (!dir.isEmpty()) p.setWorkingDirectory(dir);
    p.start(program, args);
    Ran r;
    if (!p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished();
        r.err = program + QStringLiteral(" did not finish: ") + p.errorString();
        return r;
    }
    r.exit = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

// What a reader of the manual page sees of its text: the troff escapes undone.
QString manText(const QString& gz) {
    QString t = run(QStringLiteral("gzip"), {QStringLiteral("-dc"), gz}).out;
    t.replace(QStringLiteral("\\-"), QStringLiteral("-"));
    t.replace(QStringLiteral("\\&"), QString());
    t.replace(QStringLiteral("\\e"), QStringLiteral("\\"));
    return t;
}

}  // namespace

class TestPackage : public QObject {
    Q_OBJECT
    QTemporaryDir work;
    QString deb;
    QString root;       // the unpacked package
    QStringList files;  // dpkg-deb -c, paths without the leading "."

    QString installed(const QString& path) const { return root + path; }

private slots:
    void initTestCase() {
        QVERIFY(work.isValid());
        const QString out = work.filePath(QStringLiteral("out"));
        const Ran built = run(QStringLiteral(TZ360_CPACK), {QStringLiteral("--config"),
                              QStringLiteral(TZ360_BUILD_DIR "/CPackConfig.cmake"), QStringLiteral("-G"),
                              QStringLiteral("DEB"), QStringLiteral("-B"), out});
        QVERIFY2(built.exit == 0, qPrintable(built.out + built.err));
        const QString arch = run(QStringLiteral("dpkg"), {QStringLiteral("--print-architecture")}).out.trimmed();
        deb = out + QStringLiteral("/tz360_%1_%2.deb").arg(kVersion, arch);
        QVERIFY2(QFile::exists(deb), qPrintable(deb + QStringLiteral(" missing; cpack said:\n") + built.out));

        const Ran listed = run(QStringLiteral("dpkg-deb"), {QStringLiteral("-c"), deb});
        QCOMPARE(listed.exit, 0);
        for (const QString& line : listed.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            const QString path = line.section(QLatin1Char(' '), -1);
            files << (path.startsWith(QLatin1Char('.')) ? path.mid(1) : path);
        }
        root = work.filePath(QStringLiteral("root"));
        QCOMPARE(run(QStringLiteral("dpkg-deb"), {QStringLiteral("-x"), deb, root}).exit, 0);
    }

    void holdsFile_data() {
        QTest::addColumn<QString>("path");
        for (const char* p : {"/usr/bin/tz360", "/usr/bin/tz360-cli", "/usr/bin/tz360-sim",
                              "/usr/share/man/man1/tz360.1.gz", "/usr/share/man/man1/tz360-cli.1.gz",
                              "/usr/share/man/man1/tz360-sim.1.gz", "/usr/share/doc/tz360/html/index.html",
                              "/usr/share/doc/tz360/copyright", "/usr/share/doc/tz360/changelog.gz",
                              "/usr/share/applications/tz360.desktop", "/usr/libexec/tz360/tz360-desktop",
                              "/usr/share/icons/hicolor/scalable/apps/tz360.svg",
                              "/usr/share/icons/hicolor/128x128/apps/tz360.png",
                              "/usr/lib/tz360/modules/tz360-chart3d.so",
                              "/usr/lib/tz360/modules/tz360-xlsx.so",
                              "/usr/lib/tz360/modules/tz360-charts.so"})
            QTest::newRow(p) << QString::fromLatin1(p);
    }
    void holdsFile() {
        QFETCH(QString, path);
        QVERIFY2(files.contains(path), qPrintable(files.join(QLatin1Char('\n'))));
        QVERIFY(QFileInfo(installed(path)).isFile());
    }

    // Nothing of the build tree's (tests, benchmarks) slips into /usr/bin.
    void onlyTheThreeProgramsInBin() {
        QStringList bin = files.filter(QRegularExpression(QStringLiteral("^/usr/bin/.+[^/]$")));
        bin.sort();
        QCOMPARE(bin, QStringList({"/usr/bin/tz360", "/usr/bin/tz360-cli", "/usr/bin/tz360-sim"}));
    }

    void control() {
        const Ran f = run(QStringLiteral("dpkg-deb"), {QStringLiteral("-f"), deb, QStringLiteral("Version"),
                                                      QStringLiteral("Depends")});
        QCOMPARE(f.exit, 0);
        QVERIFY2(f.out.contains(QStringLiteral("Version: ") + kVersion + QLatin1Char('\n')), qPrintable(f.out));
        // Found by dpkg-shlibdeps in the binaries, not written into the package by hand.
        QVERIFY2(f.out.contains(QRegularExpression(QStringLiteral("libqt6core6 \\(>= [0-9.]+\\)"))), qPrintable(f.out));
        QVERIFY2(f.out.contains(QRegularExpression(QStringLiteral("libxlsxwriter[0-9]* \\(>= "))), qPrintable(f.out));
        // Only the 3-D chart module links Data Visualization.
        QVERIFY2(f.out.contains(QRegularExpression(QStringLiteral("libqt6datavisualization6 \\(>= "))), qPrintable(f.out));
        // Loaded at run time, so named by hand: without it TZ360.db cannot be opened.
        QVERIFY2(f.out.contains(QStringLiteral("libqt6sql6-sqlite")), qPrintable(f.out));
    }

    void versionOfEachProgram_data() {
        QTest::addColumn<QString>("program");
        QTest::newRow("tz360") << QStringLiteral("tz360");
        QTest::newRow("tz360-cli") << QStringLiteral("tz360-cli");
        QTest::newRow("tz360-sim") << QStringLiteral("tz360-sim");
    }
    void versionOfEachProgram() {
        QFETCH(QString, program);
        QTemporaryDir empty;
        // No display needed: IT checks an installation from a console.
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        const Ran r = run(installed(QStringLiteral("/usr/bin/") + program), {QStringLiteral("--version")},
                          empty.path(), env);
        QVERIFY2(r.exit == 0, qPrintable(r.err));
        QCOMPARE(r.out, program + QLatin1Char(' ') + kVersion + QLatin1Char('\n'));
        QCOMPARE(QDir(empty.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
    }

    void listInAnEmptyFolder() {
        QTemporaryDir empty;
        const Ran r = run(installed(QStringLiteral("/usr/bin/tz360-cli")), {QStringLiteral("list")}, empty.path());
        QVERIFY2(r.exit == 0, qPrintable(r.err));
        QCOMPARE(r.out, QString());  // a fresh database holds no tests
        QVERIFY2(r.err.startsWith(QStringLiteral("Database: ")), qPrintable(r.err));
    }

    // The spreadsheet writer is a module the installed program loads from
    // PREFIX/lib/tz360/modules: an export from the unpacked package works and
    // gives a zip file (every .xlsx is one), no build-tree fallback involved.
    void installedExportFindsItsModule() {
        QTemporaryDir folder;
        {
            clsConnection c;
            c.OpenDB(QString(), QString(), QString(), QString(), folder.path());
            fixture::storeTest(c, QStringLiteral("WF130"), fixture::powerLawPoints(1, 0.5, 2.0), {});
        }
        const Ran r = run(installed(QStringLiteral("/usr/bin/tz360-cli")),
                          {QStringLiteral("export"), QStringLiteral("WF130"), QStringLiteral("-o"),
                           QStringLiteral("WF130.xlsx")},
                          folder.path());
        QVERIFY2(r.exit == 0, qPrintable(r.err));
        QFile xlsx(folder.filePath(QStringLiteral("WF130.xlsx")));
        QVERIFY(xlsx.open(QIODevice::ReadOnly));
        QCOMPARE(xlsx.read(4), QByteArray("PK\x03\x04", 4));
    }

    // The manual pages say what the packaged programs' own help says, line for
    // line, including the help of commands the main help refers to.
    void manPageFollowsTheHelp_data() {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("helpArgs");
        QTest::newRow("tz360-cli") << QStringLiteral("tz360-cli") << QStringList{QStringLiteral("--help")};
        QTest::newRow("tz360-cli run") << QStringLiteral("tz360-cli")
                                       << QStringList{QStringLiteral("run"), QStringLiteral("--help")};
        QTest::newRow("tz360-sim") << QStringLiteral("tz360-sim") << QStringList{QStringLiteral("--help")};
    }
    void manPageFollowsTheHelp() {
        QFETCH(QString, program);
        QFETCH(QStringList, helpArgs);
        QTemporaryDir empty;
        const QString path = installed(QStringLiteral("/usr/bin/") + program);
        const Ran help = run(path, helpArgs, empty.path());
        const QString text = QString(help.out + help.err).replace(path, program);
        QVERIFY(text.count(QLatin1Char('\n')) > 3);
        const QString man = manText(installed(QStringLiteral("/usr/share/man/man1/%1.1.gz").arg(program)));
        QVERIFY2(man.startsWith(QStringLiteral(".TH ")), qPrintable(man.left(200)));
        for (const QString& line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            QVERIFY2(man.contains(line + QLatin1Char('\n')), qPrintable(QStringLiteral("not in the manual page: ") + line));
    }

    // The menu entry starts the workstation through the launcher, which makes
    // ~/TZ360 and starts the packaged tz360 there.
    void desktopEntryStartsInTheOperatorsFolder() {
        QSettings entry(installed(QStringLiteral("/usr/share/applications/tz360.desktop")), QSettings::IniFormat);
        entry.beginGroup(QStringLiteral("Desktop Entry"));
        QCOMPARE(entry.value(QStringLiteral("Exec")).toString(), QStringLiteral("/usr/libexec/tz360/tz360-desktop"));
        QCOMPARE(entry.value(QStringLiteral("Icon")).toString(), QStringLiteral("tz360"));
        QCOMPARE(entry.value(QStringLiteral("Type")).toString(), QStringLiteral("Application"));

        QTemporaryDir home;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home.path());
        env.remove(QStringLiteral("DISPLAY"));
        const Ran r = run(installed(QStringLiteral("/usr/libexec/tz360/tz360-desktop")), {QStringLiteral("--version")},
                          QDir::tempPath(), env);
        QVERIFY2(r.exit == 0, qPrintable(r.err));
        QCOMPARE(r.out, QStringLiteral("tz360 ") + kVersion + QLatin1Char('\n'));
        QVERIFY(QFileInfo(home.filePath(QStringLiteral("TZ360"))).isDir());
        // A second start finds the folder there.
        QCOMPARE(run(installed(QStringLiteral("/usr/libexec/tz360/tz360-desktop")), {QStringLiteral("--version")},
                     QDir::tempPath(), env).exit, 0);
    }

    void lintianFindsNoErrors() {
        if (QStandardPaths::findExecutable(QStringLiteral("lintian")).isEmpty())
            QSKIP("lintian is not installed (scripts/install-deps.sh installs it)");
        const Ran r = run(QStringLiteral("lintian"), {QStringLiteral("--fail-on"), QStringLiteral("error"), deb});
        for (const QString& line : r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            qInfo("lintian: %s", qPrintable(line));
        QVERIFY2(r.exit == 0, qPrintable(r.out + r.err));
        QVERIFY2(!r.out.contains(QRegularExpression(QStringLiteral("^E: "), QRegularExpression::MultilineOption)),
                 qPrintable(r.out));
    }
};

// Without the Debian tools CTest reports the program skipped (SKIP_RETURN_CODE
// 77), the reason on stderr.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const char* missing = nullptr;
    if (QStandardPaths::findExecutable(QStringLiteral("dpkg-deb")).isEmpty())
        missing = "dpkg-deb is not installed: no Debian package can be listed or unpacked";
    else if (QStandardPaths::findExecutable(QStringLiteral("dpkg-shlibdeps")).isEmpty())
        missing = "dpkg-shlibdeps (dpkg-dev) is not installed: the package's dependencies cannot be computed";
    if (missing) {
        std::fprintf(stderr, "SKIPPED: %s (scripts/install-deps.sh installs it)\n", missing);
        return 77;
    }
    TestPackage test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_package.moc"
