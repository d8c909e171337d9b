#pragma once
// What a unit window needs of its line each tick: send a command, take what
// came back. The serial link and the in-process simulated unit both offer it,
// so the run logic cannot tell a bench unit from the real one.
#include <QByteArray>

namespace tz {

class UnitPort {
public:
    virtual ~UnitPort() = default;
    virtual bool send(const QByteArray& bytes) = 0;
    virtual QByteArray takeAll() = 0;
};

}  // namespace tz
