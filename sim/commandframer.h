#pragma once

#include <QByteArray>
#include <QList>

namespace pumpsim {

// Cuts the byte stream from the panel into nine-character frames that begin
// with "Q" and end with "Y". Frames normally arrive whole and one at a time,
// but a line can deliver them in pieces, several at once, or with noise
// between them: bytes before a "Q" are dropped, and a "Q" whose ninth
// character is not "Y" is dropped on its own so that a frame starting inside
// the rejected stretch is still found.
class CommandFramer {
public:
    static constexpr int kFrameLength = 9;

    // Takes the next bytes and returns the frames they complete, in order.
    QList<QByteArray> push(const QByteArray& bytes);

    // Bytes dropped as not belonging to any frame, since construction.
    qint64 discarded() const { return m_discarded; }
    // Forgets a partly received frame (the line was closed).
    void clear() { m_buffer.clear(); }

private:
    QByteArray m_buffer;
    qint64 m_discarded = 0;
};

}  // namespace pumpsim
