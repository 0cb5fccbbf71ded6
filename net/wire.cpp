#include "net/wire.h"

namespace wire {

QByteArray message(QByteArrayView command, QByteArrayView payload)
{
    QByteArray out;
    out.reserve(command.size() + payload.size() + 2);
    out += command;
    out += '+';
    out += payload;
    out.replace(kTerminator, '?');
    out += kTerminator;
    return out;
}

} // namespace wire
