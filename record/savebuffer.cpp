#include "record/savebuffer.h"

SaveBuffer::Append SaveBuffer::append(double value)
{
    if (isFull())
        return Append::AlreadyFull;
    // A short session (and every test) keeps a few values in a small block.
    // Past kFirstBlock values, room for every value is asked for once. The
    // system backs it with memory page by page as values are written, and no
    // value is copied again: a doubling vector would hold 12.6 MB while it
    // moves from 4.2 MB to 8.4 MB, and 8.4 MB at the end.
    if (m_saveprdata.capacity() == 0)
        m_saveprdata.reserve(kFirstBlock);
    else if (m_saveprdata.size() == kFirstBlock)
        m_saveprdata.reserve(kCapacity);
    m_saveprdata.push_back(value);
    return isFull() ? Append::BecameFull : Append::Stored;
}
