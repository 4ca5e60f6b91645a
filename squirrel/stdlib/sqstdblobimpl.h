// Growable in-memory byte stream behind the `blob` class.
#pragma once

#include <sqstdio.h>

#include <vector>

class SQBlob : public SQStream {
public:
    explicit SQBlob(SQInteger size);

    SQInteger Read(void *buffer, SQInteger size) override;
    SQInteger Write(void *buffer, SQInteger size) override;
    SQInteger Flush() override { return 0; }
    SQInteger Tell() override { return pos_; }
    SQInteger Len() override { return len_; }
    SQInteger Seek(SQInteger offset, SQInteger origin) override;
    bool IsValid() override { return true; }
    bool EOS() override { return pos_ == len_; }

    // Changes the capacity; the length only ever shrinks here, and the position is clamped.
    void Resize(SQInteger capacity);
    // Byte-swaps every complete 16-/32-bit unit of the content.
    void Swap2();
    void Swap4();

    // Never null, so an empty blob still has a valid buffer address.
    unsigned char *Data() { return buf_.empty() ? &empty_ : buf_.data(); }
    SQInteger Capacity() const { return static_cast<SQInteger>(buf_.size()); }

private:
    std::vector<unsigned char> buf_; // size() is the capacity
    SQInteger len_ = 0;
    SQInteger pos_ = 0;
    unsigned char empty_ = 0;
};
