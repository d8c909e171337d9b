#pragma once
// The serial line to one TZ360 unit: "Comm k" at 19200 8N1. Commands go out in
// one piece; everything received is taken at once. The sequence download
// waits on a timer, never on the clock, so the other unit windows keep
// polling while one unit downloads. (The stored-results download runs over
// this link as a UnitPort: StoredResultsRetrieval.)
#include "instrument/UnitPort.h"

#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <QString>
#include <QTimer>

namespace tz {

class UnitLink : public QObject, public UnitPort {
    Q_OBJECT
public:
    // Waits of the exchanges, in unscaled milliseconds (TZ360_TIME_SCALE divides them).
    static constexpr int kSequenceReplyWaitMs = 6000;

    explicit UnitLink(QObject* parent = nullptr);
    ~UnitLink() override;

    // Opens Comm k through comports.txt of the working directory. On failure
    // returns false and errorString() says what is wrong with which device.
    bool open(int comm);
    bool openDevice(const QString& device);
    void close();
    bool isOpen() const;
    int comm() const { return comm_; }
    const QString& device() const { return device_; }
    QString errorString() const { return error_; }

    // Writes the whole command in one piece, without blocking the window.
    bool send(const QByteArray& bytes) override;
    // Everything received so far (possibly empty).
    QByteArray takeAll() override;
    void discardInput() { takeAll(); }

    // A download is waiting for the unit; polls must not be sent meanwhile.
    bool busy() const { return state_ != State::Idle; }

    // Cancel, then the record; sequenceDownloadFinished 6 s later with the
    // reply (accepted when it ends with "x"). False when busy or not open.
    bool startSequenceDownload(const QByteArray& record);
    // Abandons a running exchange without a finished signal.
    void abort();

signals:
    void sequenceDownloadFinished(bool accepted, const QByteArray& reply);

private:
    enum class State { Idle, SequenceReply };
    bool openPort(const QString& device);
    void onWaitEnded();
    void finishSequence(bool sentOk);
    QString describeOpenError(const QString& device) const;

    QSerialPort port_;
    QTimer wait_;
    State state_ = State::Idle;
    int comm_ = 0;
    QString device_;
    QString error_;
};

}  // namespace tz
