#include "instrument/UnitLink.h"

#include "instrument/CommPorts.h"
#include "instrument/ProtocolCodec.h"
#include "instrument/TimeScale.h"

#include <QFileInfo>

namespace tz {

UnitLink::UnitLink(QObject* parent) : QObject(parent) {
    wait_.setSingleShot(true);
    connect(&wait_, &QTimer::timeout, this, &UnitLink::onWaitEnded);
}

UnitLink::~UnitLink() { close(); }

bool UnitLink::open(int comm) {
    close();
    comm_ = comm;
    return openPort(commDevice(comm));
}

bool UnitLink::openDevice(const QString& device) {
    close();
    comm_ = 0;
    return openPort(device);
}

bool UnitLink::openPort(const QString& device) {
    error_.clear();
    device_ = device;
    port_.setPortName(device);
    if (!port_.open(QIODevice::ReadWrite)) {
        error_ = describeOpenError(device);
        return false;
    }
    const bool configured = port_.setBaudRate(QSerialPort::Baud19200) &&
                            port_.setDataBits(QSerialPort::Data8) &&
                            port_.setParity(QSerialPort::NoParity) &&
                            port_.setStopBits(QSerialPort::OneStop) &&
                            port_.setFlowControl(QSerialPort::NoFlowControl);
    if (!configured) {
        error_ = tr("%1 cannot be set to 19200 baud, 8 data bits, no parity, 1 stop bit: %2")
                     .arg(device, port_.errorString());
        port_.close();
        return false;
    }
    return true;
}

QString UnitLink::describeOpenError(const QString& device) const {
    const QString which = comm_ > 0 ? tr("Comm %1 (%2)").arg(comm_).arg(device) : device;
    switch (port_.error()) {
    case QSerialPort::DeviceNotFoundError:
        return tr("%1 does not exist. Check the cable and the entry in comports.txt.").arg(which);
    case QSerialPort::PermissionError: {
        const QFileInfo info(device);
        if (info.exists() && !(info.isReadable() && info.isWritable()))
            return tr("%1: access is not permitted for this user.").arg(which);
        return tr("%1 is in use by another program.").arg(which);
    }
    default:
        return tr("%1 cannot be opened: %2").arg(which, port_.errorString());
    }
}

void UnitLink::close() {
    abort();
    if (port_.isOpen()) port_.close();
}

bool UnitLink::isOpen() const { return port_.isOpen(); }

bool UnitLink::send(const QByteArray& bytes) {
    if (!port_.isOpen()) {
        error_ = tr("The port is not open.");
        return false;
    }
    if (port_.write(bytes) != bytes.size()) {
        error_ = port_.errorString();
        return false;
    }
    // Hand it to the driver now, without blocking: whatever the driver cannot
    // take yet follows from the event loop, still in order and in one stream.
    port_.flush();
    if (port_.error() != QSerialPort::NoError && port_.error() != QSerialPort::TimeoutError) {
        error_ = port_.errorString();
        port_.clearError();
        return false;
    }
    return true;
}

QByteArray UnitLink::takeAll() {
    if (!port_.isOpen()) return {};
    return port_.readAll();
}

bool UnitLink::startSequenceDownload(const QByteArray& record) {
    if (busy() || !port_.isOpen()) return false;
    state_ = State::SequenceReply;
    // The reply is judged after a fixed wait whatever happened on sending, so
    // an error shows the same way as a refusal by the unit.
    const bool sent = send(proto::cancel()) && send(record);
    if (!sent) {
        // Report on the next turn of the event loop, never from inside the call.
        QTimer::singleShot(0, this, [this] { finishSequence(false); });
        return true;
    }
    wait_.start(scaledMs(kSequenceReplyWaitMs));
    return true;
}

void UnitLink::abort() {
    wait_.stop();
    state_ = State::Idle;
}

void UnitLink::onWaitEnded() {
    if (state_ == State::SequenceReply) finishSequence(true);
}

void UnitLink::finishSequence(bool sentOk) {
    if (state_ != State::SequenceReply) return;
    const QByteArray reply = sentOk ? takeAll() : QByteArray();
    state_ = State::Idle;
    emit sequenceDownloadFinished(sentOk && proto::sequenceAccepted(reply), reply);
}

}  // namespace tz
