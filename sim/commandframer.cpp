#include "sim/commandframer.h"

namespace pumpsim {

QList<QByteArray> CommandFramer::push(const QByteArray& bytes)
{
    m_buffer += bytes;
    QList<QByteArray> frames;
    qsizetype pos = 0;
    for (;;) {
        const qsizetype start = m_buffer.indexOf('Q', pos);
        if (start < 0) {
            m_discarded += m_buffer.size() - pos;
            pos = m_buffer.size();
            break;
        }
        m_discarded += start - pos;
        pos = start;
        if (m_buffer.size() - pos < kFrameLength)
            break;  // wait for the rest
        if (m_buffer.at(pos + kFrameLength - 1) == 'Y') {
            frames << m_buffer.mid(pos, kFrameLength);
            pos += kFrameLength;
        } else {
            ++m_discarded;
            ++pos;
        }
    }
    m_buffer.remove(0, pos);
    return frames;
}

}  // namespace pumpsim
