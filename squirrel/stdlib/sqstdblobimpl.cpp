#include "sqstdblobimpl.h"

#include <algorithm>
#include <cstring>
#include <utility>

SQBlob::SQBlob(SQInteger size) : buf_(static_cast<std::size_t>(size > 0 ? size : 0), 0), len_(size > 0 ? size : 0) {}

SQInteger SQBlob::Read(void *buffer, SQInteger size)
{
    if (size <= 0 || pos_ >= len_)
        return 0;
    SQInteger n = std::min(size, len_ - pos_);
    std::memcpy(buffer, buf_.data() + pos_, static_cast<std::size_t>(n));
    pos_ += n;
    return n;
}

SQInteger SQBlob::Write(void *buffer, SQInteger size)
{
    if (size <= 0)
        return 0;
    auto need = static_cast<std::size_t>(pos_) + static_cast<std::size_t>(size);
    if (need > buf_.size())
        buf_.resize(std::max(buf_.size() * 2, need), 0);
    std::memcpy(buf_.data() + pos_, buffer, static_cast<std::size_t>(size));
    pos_ += size;
    len_ = std::max(len_, pos_);
    return size;
}

SQInteger SQBlob::Seek(SQInteger offset, SQInteger origin)
{
    long long target;
    switch (origin) {
    case SQ_SEEK_SET: target = offset; break;
    case SQ_SEEK_CUR: target = static_cast<long long>(pos_) + offset; break;
    case SQ_SEEK_END: target = static_cast<long long>(len_) + offset; break;
    default: return -1;
    }
    if (target < 0 || target > len_)
        return -1;
    pos_ = static_cast<SQInteger>(target);
    return 0;
}

void SQBlob::Resize(SQInteger capacity)
{
    if (capacity < 0)
        capacity = 0;
    buf_.resize(static_cast<std::size_t>(capacity), 0);
    len_ = std::min(len_, capacity);
    pos_ = std::min(pos_, len_);
}

void SQBlob::Swap2()
{
    for (SQInteger i = 0; i + 1 < len_; i += 2)
        std::swap(buf_[static_cast<std::size_t>(i)], buf_[static_cast<std::size_t>(i + 1)]);
}

void SQBlob::Swap4()
{
    for (SQInteger i = 0; i + 3 < len_; i += 4) {
        auto *p = buf_.data() + i;
        std::swap(p[0], p[3]);
        std::swap(p[1], p[2]);
    }
}
