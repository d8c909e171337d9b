#pragma once
// The serial line to one TZ360 unit: "Comm k" at 19200 8N1. Commands go out in
// one piece; everything received is taken at once. The sequence download and
// the stored-results download run over this link as a UnitPort (RunController,
// StoredResultsRetrieval).
//
// The workstation keeps one register of the Comm ports its windows hold, so a
// second window asking for a held port is told which window has it instead of
// being sent to look for another program.
#include "instrument/UnitPort.h"

#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <QString>

namespace tz {

class UnitLink : public QObject, public UnitPort {
    Q_OBJECT
public:
    explicit UnitLink(QObject* parent = nullptr);
    ~UnitLink() override;

    // Who holds the port, as the operator knows it ("Unit 1 window").
    void setOwnerLabel(const QString& label) { owner_ = label; }
    const QString& ownerLabel() const { return owner_; }

    // Opens Comm k through comports.txt of the working directory. On failure
    // returns false and errorString() says what is wrong with which device;
    // a Comm port another link of this workstation holds is refused untried.
    bool open(int comm);
    bool openDevice(const QString& device);
    void close();
    bool isOpen() const;
    int comm() const { return comm_; }
    const QString& device() const { return device_; }
    QString errorString() const { return error_; }

    // The label of the link of this workstation that holds Comm k, or an
    // empty text when none does.
    static QString holderOf(int comm);

    // Writes the whole command in one piece, without blocking the window.
    bool send(const QByteArray& bytes) override;
    // Everything received so far (possibly empty).
    QByteArray takeAll() override;
    void discardInput() { takeAll(); }

private:
    bool openPort(const QString& device);
    QString describeOpenError(const QString& device) const;
    void release();

    QSerialPort port_;
    int comm_ = 0;
    bool registered_ = false;
    QString device_;
    QString error_;
    QString owner_;
};

}  // namespace tz
