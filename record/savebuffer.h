#pragma once

#include <QtGlobal>

#include <vector>

// The pressure values kept for the record file: `saveprdata` with its count
// `saveprcout`. Position k (1..saveprcout) holds the k-th value kept. Nothing
// is taken at start-up; the first values go into a small block, and once that
// is full room is reserved for all of them, which occupies memory only as it
// is written (8 bytes a value); from then on values never move. At kCapacity
// values the buffer is full and further values are refused.
class SaveBuffer {
public:
    static constexpr qint32 kCapacity = 1000000;
    // Values kept before room for all of them is reserved.
    static constexpr std::size_t kFirstBlock = 4096;

    enum class Append {
        Stored,       // kept; there is room for more
        BecameFull,   // kept, and it was the last one that fits
        AlreadyFull,  // refused: the buffer was full before
    };

    // Keeps the value at position saveprcout + 1.
    Append append(double value);

    // Number of values kept, 0..kCapacity.
    qint32 saveprcout() const { return static_cast<qint32>(m_saveprdata.size()); }
    bool isFull() const { return saveprcout() >= kCapacity; }
    // The value at position k, 1 <= k <= saveprcout().
    double at(qint32 k) const { return m_saveprdata.at(static_cast<std::size_t>(k - 1)); }
    // Every value kept, in order: element 0 is position 1.
    const std::vector<double>& saveprdata() const { return m_saveprdata; }

private:
    std::vector<double> m_saveprdata;
};
