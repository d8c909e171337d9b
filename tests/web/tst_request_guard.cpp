// The guard in front of the HTTP server, fed the bytes of one connection in
// the pieces a network delivers them.
#include "web/RequestGuard.h"

#include <QTest>

using tz::web::RequestGuard;

class TestRequestGuard : public QObject {
    Q_OBJECT
private slots:
    void verdicts_data()
    {
        QTest::addColumn<QByteArrayList>("pieces");
        QTest::addColumn<int>("status");     // 0: taken
        QTest::addColumn<int>("requests");   // complete heads taken before the end

        const QByteArray get = "GET /api/tests HTTP/1.1\r\nHost: x\r\n\r\n";
        QTest::newRow("one GET") << QByteArrayList{get} << 0 << 1;
        QTest::newRow("split in every byte") << [&] {
            QByteArrayList bytes;
            for (const char c : get) bytes << QByteArray(1, c);
            return bytes;
        }() << 0 << 1;
        QTest::newRow("two pipelined, HEAD") << QByteArrayList{get + "HEAD / HTTP/1.1\r\n\r\n"} << 0 << 2;
        QTest::newRow("bare LF line ends") << QByteArrayList{"GET / HTTP/1.0\nHost: x\n\n"} << 0 << 1;
        QTest::newRow("Content-Length 0 is no body") << QByteArrayList{"GET / HTTP/1.1\r\nContent-Length: 0\r\n\r\n"} << 0 << 1;
        QTest::newRow("POST") << QByteArrayList{"POST / HTTP/1.1\r\nContent-Length: 3\r\n\r\nabc"} << 405 << 0;
        QTest::newRow("DELETE after a GET") << QByteArrayList{get, "DELETE /tests/1 HTTP/1.1\r\n\r\n"} << 405 << 1;
        QTest::newRow("lower-case method") << QByteArrayList{"get / HTTP/1.1\r\n\r\n"} << 400 << 0;
        QTest::newRow("no version") << QByteArrayList{"GET /\r\n\r\n"} << 400 << 0;
        QTest::newRow("unknown version") << QByteArrayList{"GET / HTTP/2.0\r\n\r\n"} << 400 << 0;
        QTest::newRow("absolute target") << QByteArrayList{"GET http://elsewhere/ HTTP/1.1\r\n\r\n"} << 400 << 0;
        QTest::newRow("header without colon") << QByteArrayList{"GET / HTTP/1.1\r\nHost x\r\n\r\n"} << 400 << 0;
        QTest::newRow("folded header") << QByteArrayList{"GET / HTTP/1.1\r\nA: b\r\n c\r\n\r\n"} << 400 << 0;
        QTest::newRow("GET with a body") << QByteArrayList{"GET / HTTP/1.1\r\nContent-Length: 5\r\n\r\nhello"} << 413 << 0;
        QTest::newRow("chunked") << QByteArrayList{"GET / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n"} << 413 << 0;
        // Request line (16 bytes) + "X: " + filler + the blank line (4 bytes).
        const auto headOf = [](int total) {
            return QByteArray("GET / HTTP/1.1\r\nX: ") + QByteArray(total - 16 - 3 - 4, 'a') + "\r\n\r\n";
        };
        QTest::newRow("head of exactly the limit") << QByteArrayList{headOf(RequestGuard::kMaxHeadBytes)} << 0 << 1;
        const QByteArray over = headOf(RequestGuard::kMaxHeadBytes + 1);
        QTest::newRow("head one byte over, in pieces") << QByteArrayList{over.left(100), over.mid(100)} << 431 << 0;
        QTest::newRow("a long line that never ends") << QByteArrayList{QByteArray(20000, 'A')} << 431 << 0;
    }

    void verdicts()
    {
        QFETCH(QByteArrayList, pieces);
        QFETCH(int, status);
        QFETCH(int, requests);
        RequestGuard guard;
        RequestGuard::Verdict verdict = RequestGuard::Verdict::NeedMore;
        for (const QByteArray& piece : pieces)
            verdict = guard.feed(piece);
        QCOMPARE(verdict == RequestGuard::Verdict::Refuse ? guard.status() : 0, status);
        QCOMPARE(guard.requests(), requests);
    }
};

QTEST_APPLESS_MAIN(TestRequestGuard)
#include "tst_request_guard.moc"
