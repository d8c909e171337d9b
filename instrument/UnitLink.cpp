#include "instrument/UnitLink.h"

#include "instrument/CommPorts.h"

#include <QFileInfo>
#include <QHash>

namespace tz {

namespace {
// The Comm ports held by the links of this process. All of them live on the
// user-interface thread.
QHash<int, const UnitLink*>& heldPorts() {
    static QHash<int, const UnitLink*> held;
    return held;
}
}  // namespace

UnitLink::UnitLink(QObject* parent) : QObject(parent) {}

UnitLink::~UnitLink() { close(); }

QString UnitLink::holderOf(int comm) {
    const UnitLink* holder = heldPorts().value(comm, nullptr);
    if (!holder) return {};
    return holder->owner_.isEmpty() ? tr("another window") : holder->owner_;
}

bool UnitLink::open(int comm) {
    close();
    comm_ = comm;
    if (const QString holder = holderOf(comm); !holder.isEmpty()) {
        error_ = tr("Comm %1 is already open in this workstation (%2)").arg(comm).arg(holder);
        device_.clear();
        return false;
    }
    if (!openPort(commDevice(comm))) return false;
    heldPorts().insert(comm, this);
    registered_ = true;
    return true;
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
    if (port_.isOpen()) port_.close();
    release();
}

void UnitLink::release() {
    if (!registered_) return;
    registered_ = false;
    if (heldPorts().value(comm_) == this) heldPorts().remove(comm_);
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

}  // namespace tz
