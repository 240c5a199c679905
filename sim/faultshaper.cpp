#include "sim/faultshaper.h"

#include "sim/serialline.h"

#include <algorithm>

namespace pumpsim {

FaultShaper::FaultShaper(const FaultOptions& options) : m_options(options), m_random(options.seed) {}

bool FaultShaper::chance(double share)
{
    if (share <= 0.0)
        return false;
    if (share >= 1.0)
        return true;
    return std::uniform_real_distribution<double>(0.0, 1.0)(m_random) < share;
}

QList<TimedWrite> FaultShaper::shape(const QByteArray& answer, double readyMs)
{
    if (m_options.silentAfter >= 0 && m_passed >= m_options.silentAfter) {
        ++m_silenced;
        return {};
    }
    if (chance(m_options.drop)) {
        ++m_dropped;
        return {};
    }
    ++m_passed;
    if (!m_held.isEmpty()) {
        QByteArray both = m_held + answer;
        m_held.clear();
        return emitWrite(std::move(both), 2, readyMs, answer);
    }
    if (chance(m_options.merge)) {
        m_held = answer;
        m_heldSinceMs = readyMs;
        return {};
    }
    return emitWrite(answer, 1, readyMs, answer);
}

std::optional<double> FaultShaper::heldUntil() const
{
    if (m_held.isEmpty())
        return std::nullopt;
    return m_heldSinceMs + kMergeHoldMs;
}

QList<TimedWrite> FaultShaper::releaseHeld(double nowMs)
{
    if (m_held.isEmpty())
        return {};
    QByteArray alone;
    alone.swap(m_held);
    const QByteArray sample = alone;
    return emitWrite(std::move(alone), 1, nowMs, sample);
}

QByteArray FaultShaper::garbageBefore(const QByteArray& sample)
{
    QByteArray out;
    if (std::uniform_int_distribution<int>(0, 1)(m_random) == 1) {
        // A frame broken off before its end, as after a glitch on the line.
        const int keep = std::uniform_int_distribution<int>(1, std::min<int>(8, sample.size() - 1))(m_random);
        out = sample.left(keep);
    }
    // Noise bytes: anything but the two characters that delimit a frame.
    const int noise = std::uniform_int_distribution<int>(out.isEmpty() ? 1 : 0, 12)(m_random);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int i = 0; i < noise;) {
        const char c = static_cast<char>(byte(m_random));
        if (c == 'Q' || c == 'Y')
            continue;
        out += c;
        ++i;
    }
    return out;
}

QList<TimedWrite> FaultShaper::emitWrite(QByteArray bytes, int answers, double readyMs, const QByteArray& sample)
{
    if (chance(m_options.garbage))
        bytes.prepend(garbageBefore(sample));

    const double startMs = std::max(readyMs + m_options.delayMs, m_lineFreeMs);
    const double endMs = startMs + wireMs(bytes.size());
    QList<TimedWrite> writes;
    if (bytes.size() > 1 && chance(m_options.split)) {
        const int cut = std::uniform_int_distribution<int>(1, bytes.size() - 1)(m_random);
        const double firstMs = startMs + wireMs(cut);
        const double secondMs = std::max(endMs, firstMs + kMinSplitGapMs);
        // The answers stand at the end, each as long as the sample: the
        // first piece completes those that end in it (the first of a merged
        // pair may).
        int completed = 0;
        while (completed < answers && bytes.size() - sample.size() * (answers - 1 - completed) <= cut)
            ++completed;
        writes.append({firstMs, bytes.left(cut), completed});
        writes.append({secondMs, bytes.mid(cut), answers - completed});
        m_lineFreeMs = secondMs;
    } else {
        writes.append({endMs, bytes, answers});
        m_lineFreeMs = endMs;
    }
    return writes;
}

}  // namespace pumpsim
