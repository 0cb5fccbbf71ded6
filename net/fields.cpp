#include "net/fields.h"

QByteArray FieldReader::take()
{
    const qsizetype plus = m_rest.indexOf('+');
    if (plus < 0)
        return std::exchange(m_rest, QByteArray());
    QByteArray field = m_rest.left(plus);
    m_rest.remove(0, plus + 1);
    return field;
}
