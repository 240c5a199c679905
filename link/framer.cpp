#include "link/framer.h"

QList<QByteArray> AnswerFramer::feed(const QByteArray& bytes, qint64 nowMs)
{
    if (!m_buffer.isEmpty() && nowMs - m_tailSince > m_tailLifetimeMs)
        m_buffer.clear();
    const bool hadTail = !m_buffer.isEmpty();
    m_buffer += bytes;

    QList<QByteArray> found;
    qsizetype start = 0;
    for (;;) {
        const qsizetype q = m_buffer.indexOf('Q', start);
        if (q < 0) {
            start = m_buffer.size();
            break;
        }
        start = q;
        if (m_buffer.size() - start < kFrameLength)
            break;
        if (m_buffer.at(start + kFrameLength - 1) == 'Y') {
            found.append(m_buffer.mid(start, kFrameLength));
            start += kFrameLength;
        } else {
            start += 1;
        }
    }
    if (start > 0)
        m_buffer.remove(0, start);
    // The tail's age counts from the read that brought its first byte.
    if (!m_buffer.isEmpty() && (!hadTail || start > 0))
        m_tailSince = nowMs;
    return found;
}
