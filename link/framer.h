#pragma once

#include <QByteArray>
#include <QList>
#include <QtGlobal>

// Finds the pump's nine-character answers in the bytes as they arrive. A serial
// port delivers in chunks: an answer may come in pieces over several reads, and
// one read may carry several answers or line noise.
//
// Rules: bytes before a "Q" are discarded; once nine characters from a "Q" are
// there they are an answer if the ninth is "Y", otherwise that "Q" is dropped
// and the search goes on from the next character. An incomplete tail waits for
// the next read, at most eight bytes, and is dropped once it is older than
// tailLifetimeMs (one poll interval), so a half answer never glues onto a much
// later one.
class AnswerFramer {
public:
    static constexpr int kFrameLength = 9;
    static constexpr qint64 kDefaultTailLifetimeMs = 1500;

    explicit AnswerFramer(qint64 tailLifetimeMs = kDefaultTailLifetimeMs)
        : m_tailLifetimeMs(tailLifetimeMs) {}

    // Takes the bytes of one read, received at nowMs, and returns the answers
    // completed by them, in order.
    QList<QByteArray> feed(const QByteArray& bytes, qint64 nowMs);

    const QByteArray& tail() const { return m_buffer; }
    void clear() { m_buffer.clear(); }

private:
    QByteArray m_buffer;
    qint64 m_tailSince = 0;
    qint64 m_tailLifetimeMs;
};
