#pragma once
// The web view under test: tz360-cli serve started in a bench folder on an
// ephemeral loopback port, and a raw HTTP client that sends exactly the bytes
// a test gives it (hostile requests included) and reads the answer whole.
#include <QDeadlineTimer>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTest>

namespace webtest {

struct HttpReply {
    int status = 0;                        // 0: no answer
    QMap<QByteArray, QByteArray> headers;  // names in lower case
    QByteArray body;
    QByteArray header(const QByteArray& name) const { return headers.value(name.toLower()); }
};

// Parses one answer from the start of raw; false while it is incomplete.
inline bool parseReply(const QByteArray& raw, HttpReply& reply, bool head = false)
{
    const qsizetype end = raw.indexOf("\r\n\r\n");
    if (end < 0)
        return false;
    const QList<QByteArray> lines = raw.left(end).split('\n');
    const QList<QByteArray> statusLine = lines.first().trimmed().split(' ');
    reply.status = statusLine.value(1).toInt();
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        if (colon > 0)
            reply.headers.insert(lines[i].left(colon).trimmed().toLower(), lines[i].mid(colon + 1).trimmed());
    }
    const qsizetype length = head ? 0 : reply.headers.value("content-length", "0").toLongLong();
    if (raw.size() < end + 4 + length)
        return false;
    reply.body = raw.mid(end + 4, length);
    return true;
}

// Sends raw on a new connection and waits for one whole answer (or for the
// server to close the connection).
inline HttpReply exchange(quint16 port, const QByteArray& raw, bool head = false, int timeoutMs = 30000)
{
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), port);
    HttpReply reply;
    if (!socket.waitForConnected(5000))
        return reply;
    socket.write(raw);
    QByteArray received;
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        if (parseReply(received, reply, head))
            return reply;
        if (socket.state() != QAbstractSocket::ConnectedState && socket.bytesAvailable() == 0)
            break;
        socket.waitForReadyRead(200);
        received += socket.readAll();
    }
    parseReply(received, reply, head);
    return reply;
}

inline HttpReply get(quint16 port, const QByteArray& path, const QByteArray& extraHeaders = {})
{
    return exchange(port, "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n" + extraHeaders + "\r\n");
}

// tz360-cli serve in dir; port() once it says where it listens.
class ServeProcess {
public:
    ServeProcess(const QString& dir, const QStringList& extraArgs = {})
    {
        m_process.setWorkingDirectory(dir);
        m_process.start(qEnvironmentVariable("TZ360_CLI"),
                        QStringList{"serve", "--listen", "127.0.0.1:0"} + extraArgs);
        QDeadlineTimer deadline(20000);
        while (!deadline.hasExpired() && m_process.state() != QProcess::NotRunning) {
            m_process.waitForReadyRead(200);
            m_out += m_process.readAllStandardOutput();
            const QRegularExpressionMatch m = QRegularExpression("Serving http://127\\.0\\.0\\.1:(\\d+)/").match(QString::fromUtf8(m_out));
            if (m.hasMatch()) {
                m_port = static_cast<quint16>(m.captured(1).toUInt());
                return;
            }
        }
    }
    ~ServeProcess()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    quint16 port() const { return m_port; }
    QProcess& process() { return m_process; }
    QString errors() { return QString::fromUtf8(m_process.readAllStandardError()); }

private:
    QProcess m_process;
    QByteArray m_out;
    quint16 m_port = 0;
};

}  // namespace webtest
