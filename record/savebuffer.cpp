#include "record/savebuffer.h"

SaveBuffer::Append SaveBuffer::append(double value)
{
    if (isFull())
        return Append::AlreadyFull;
    m_saveprdata.push_back(value);
    return isFull() ? Append::BecameFull : Append::Stored;
}
