#include "kavro/Wpk2Writer.h"

#include "Wpk2WriterFaults.h"

#include "kavro/SafeFileWriter.h"
#include "kavro/Sha256.h"
#include "kavro/Wpk2Cipher.h"

#include <openssl/rand.h>
#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <thread>

namespace Kavro
{

namespace Wpk2WriterFaults
{

namespace
{
std::atomic<bool> cipher{false};
std::atomic<bool> random{false};
} // namespace

void failCipher(bool fail)
{
    cipher = fail;
}

void failRandom(bool fail)
{
    random = fail;
}

bool cipherFails()
{
    return cipher;
}

bool randomFails()
{
    return random;
}

} // namespace Wpk2WriterFaults

namespace
{

void PutU16(std::vector<uint8_t>& out, uint16_t value)
{
    out.push_back(uint8_t(value));
    out.push_back(uint8_t(value >> 8));
}

void PutU32(std::vector<uint8_t>& out, uint32_t value)
{
    for (int b = 0; b < 4; ++b)
        out.push_back(uint8_t(value >> (8 * b)));
}

void PutU64(std::vector<uint8_t>& out, uint64_t value)
{
    PutU32(out, uint32_t(value));
    PutU32(out, uint32_t(value >> 32));
}

uint64_t RoundToCipherBlock(uint64_t length)
{
    return (length + Wpk2::CipherBlock - 1) / Wpk2::CipherBlock * Wpk2::CipherBlock;
}

bool Encrypt(const Wpk2Cipher& cipher, uint8_t* data, size_t length)
{
    return !Wpk2WriterFaults::cipherFails() && cipher.encrypt(data, length);
}

// Raw DEFLATE of the bytes; empty when it would not be shorter.
std::vector<uint8_t> Deflate(const uint8_t* data, size_t length)
{
    if (length == 0)
        return {};
    z_stream stream{};
    if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 9, Z_DEFAULT_STRATEGY) != Z_OK)
        return {};
    std::vector<uint8_t> packed(deflateBound(&stream, uLong(length)));
    stream.next_in = const_cast<Bytef*>(data);
    stream.avail_in = uInt(length);
    stream.next_out = packed.data();
    stream.avail_out = uInt(packed.size());
    const bool done = deflate(&stream, Z_FINISH) == Z_STREAM_END;
    packed.resize(stream.total_out);
    deflateEnd(&stream);
    if (!done || packed.size() >= length)
        return {};
    return packed;
}

// One block on its way into the archive: its bytes as read, then as stored.
struct Block
{
    size_t item = 0;
    uint64_t at = 0; // offset inside the entry
    size_t length = 0;
    const uint8_t* data = nullptr; // into the entry's bytes or into raw
    std::vector<uint8_t> raw;
    Wpk2BlockRecord record;
    std::vector<uint8_t> stored;
    bool encrypted = false;
};

void EncodeBlock(Block& block, bool compress, const Wpk2Cipher& cipher)
{
    std::vector<uint8_t> packed = compress ? Deflate(block.data, block.length) : std::vector<uint8_t>{};
    if (packed.empty())
        packed.assign(block.data, block.data + block.length);
    block.record.decodedLength = uint32_t(block.length);
    block.record.packedLength = uint32_t(packed.size());
    block.stored = std::move(packed);
    block.stored.resize(RoundToCipherBlock(block.stored.size()), 0);
    block.record.storedLength = uint32_t(block.stored.size());
    block.encrypted = Encrypt(cipher, block.stored.data(), block.stored.size());
    block.raw = {};
}

// Encodes every block, the work shared by up to threads workers; each block is independent of the others.
void EncodeAll(std::vector<Block>& blocks, unsigned threads, bool compress, const Wpk2Cipher& cipher)
{
    if (blocks.empty())
        return;
    std::atomic<size_t> next{0};
    const auto work = [&] {
        for (size_t i = next++; i < blocks.size(); i = next++)
            EncodeBlock(blocks[i], compress, cipher);
    };
    const unsigned helpers = unsigned(std::min<size_t>(threads, blocks.size())) - 1;
    std::vector<std::thread> workers;
    for (unsigned i = 0; i < helpers; ++i)
        workers.emplace_back(work);
    work();
    for (std::thread& worker : workers)
        worker.join();
}

class MemoryOutput : public Wpk2Writer::Output
{
public:
    std::vector<uint8_t> bytes;

    bool append(const uint8_t* data, size_t size) override
    {
        bytes.insert(bytes.end(), data, data + size);
        return true;
    }
    bool patch(uint64_t offset, const uint8_t* data, size_t size) override
    {
        if (offset > bytes.size() || size > bytes.size() - offset)
            return false;
        if (size)
            std::memcpy(bytes.data() + offset, data, size);
        return true;
    }
};

class FileOutput : public Wpk2Writer::Output
{
public:
    SafeFileWriter file;

    bool append(const uint8_t* data, size_t size) override { return file.write(data, size) == 0; }
    bool patch(uint64_t offset, const uint8_t* data, size_t size) override
    {
        const int64_t end = file.tell();
        return end >= 0 && file.seek(int64_t(offset), SEEK_SET) == 0 && file.write(data, size) == 0 &&
               file.seek(end, SEEK_SET) == 0;
    }
};

} // namespace

// One writing of the archive: reads the entries in order, encodes their blocks a batch at a time and
// appends them, then fills in the index it left room for.
class Wpk2Writer::Session
{
public:
    Session(const Wpk2Writer& writer, Output& output, std::string* error)
        : writer_(writer), output_(output), error_(error), cipher_(writer.key_, writer.iv_),
          threads_(writer.threads_ ? writer.threads_ : std::max(1u, std::thread::hardware_concurrency()))
    {
    }

    bool run()
    {
        if (!writer_.ivReady_)
            return fail("no random bytes for the archive's vector");
        uint64_t indexLength = 0;
        for (const Item& item : writer_.items_)
        {
            if (item.size > UINT32_MAX)
                return fail(item.name + " is 4 GiB or larger");
            indexLength += Wpk2::MinEntrySize + item.name.size() + blockCount(item) * Wpk2::BlockRecordSize;
        }
        indexLength = RoundToCipherBlock(indexLength);
        if (indexLength > UINT32_MAX || writer_.items_.size() > UINT32_MAX)
            return fail("too many entries for one archive");
        indexLength_ = indexLength;
        offset_ = Wpk2::IndexOffset + indexLength;
        records_.resize(writer_.items_.size());
        digests_.resize(writer_.items_.size());
        return writeHeader() && writeBlocks() && writeIndex();
    }

private:
    static uint64_t blockCount(const Item& item)
    {
        return item.onePiece ? 1 : (item.size + Wpk2::BlockSize - 1) / Wpk2::BlockSize;
    }

    bool fail(const std::string& message)
    {
        if (error_ && error_->empty())
            *error_ = message;
        return false;
    }

    bool writeHeader()
    {
        std::vector<uint8_t> header(Wpk2::Magic, Wpk2::Magic + 4);
        PutU32(header, Wpk2::Version);
        header.insert(header.end(), writer_.iv_.begin(), writer_.iv_.end());
        PutU32(header, uint32_t(writer_.items_.size()));
        PutU32(header, uint32_t(indexLength_));
        header.resize(header.size() + indexLength_, 0); // room for the index
        return output_.append(header.data(), header.size()) || fail("cannot write the archive");
    }

    bool writeBlocks()
    {
        const size_t batchSize = std::max<size_t>(4, size_t(threads_) * 4);
        std::vector<Block> batch;
        for (size_t i = 0; i < writer_.items_.size(); ++i)
        {
            if (!startItem(i))
                return false;
            const Item& item = writer_.items_[i];
            for (uint64_t b = 0, count = blockCount(item); b < count; ++b)
            {
                Block block;
                block.item = i;
                block.at = b * Wpk2::BlockSize;
                block.length = size_t(item.onePiece ? item.size : std::min<uint64_t>(Wpk2::BlockSize, item.size - block.at));
                if (!readBlock(block))
                    return false;
                batch.push_back(std::move(block));
                if (batch.size() == batchSize && !writeBatch(batch))
                    return false;
            }
            if (!finishItem(i))
                return false;
        }
        return writeBatch(batch);
    }

    bool startItem(size_t i)
    {
        const Item& item = writer_.items_[i];
        digest_ = std::make_unique<Sha256>();
        if (item.path.empty())
            return true;
        source_.reset(std::fopen(item.path.c_str(), "rb"));
        return source_ || fail("cannot read " + item.path + ": " + std::strerror(errno));
    }

    bool readBlock(Block& block)
    {
        const Item& item = writer_.items_[block.item];
        if (item.path.empty())
        {
            block.data = item.data.data() + block.at;
        }
        else
        {
            block.raw.resize(block.length);
            if (std::fread(block.raw.data(), 1, block.length, source_.get()) != block.length)
                return sourceFailed(item);
            block.data = block.raw.data();
        }
        return digest_->update(block.data, block.length) || fail("cannot compute digests");
    }

    bool sourceFailed(const Item& item)
    {
        if (std::ferror(source_.get()))
            return fail("cannot read " + item.path + ": " + std::strerror(errno));
        return fail(item.path + " changed while it was packed");
    }

    bool finishItem(size_t i)
    {
        const Item& item = writer_.items_[i];
        if (source_ && std::fgetc(source_.get()) != EOF)
            return fail(item.path + " changed while it was packed");
        source_.reset();
        return digest_->finish(digests_[i]) || fail("cannot compute digests");
    }

    bool writeBatch(std::vector<Block>& batch)
    {
        EncodeAll(batch, threads_, writer_.compress_, cipher_);
        for (Block& block : batch)
        {
            if (!block.encrypted)
                return fail("the cipher failed");
            block.record.offset = offset_;
            offset_ += block.stored.size();
            if (!output_.append(block.stored.data(), block.stored.size()))
                return fail("cannot write the archive");
            records_[block.item].push_back(block.record);
        }
        batch.clear();
        return true;
    }

    bool writeIndex()
    {
        std::vector<uint8_t> index;
        index.reserve(indexLength_);
        for (size_t i = 0; i < writer_.items_.size(); ++i)
        {
            const Item& item = writer_.items_[i];
            index.push_back(item.onePiece ? 1 : 0);
            PutU16(index, uint16_t(item.name.size()));
            index.insert(index.end(), item.name.begin(), item.name.end());
            PutU32(index, uint32_t(item.size));
            index.insert(index.end(), digests_[i].begin(), digests_[i].end());
            PutU32(index, uint32_t(records_[i].size()));
            for (const Wpk2BlockRecord& record : records_[i])
            {
                PutU64(index, record.offset);
                PutU32(index, record.storedLength);
                PutU32(index, record.packedLength);
                PutU32(index, record.decodedLength);
            }
        }
        index.resize(indexLength_, 0);
        if (!Encrypt(cipher_, index.data(), index.size()))
            return fail("the cipher failed");
        return output_.patch(Wpk2::IndexOffset, index.data(), index.size()) || fail("cannot write the archive");
    }

    struct FileCloser
    {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };

    const Wpk2Writer& writer_;
    Output& output_;
    std::string* error_;
    const Wpk2Cipher cipher_;
    const unsigned threads_;
    uint64_t indexLength_ = 0;
    uint64_t offset_ = 0;
    std::vector<std::vector<Wpk2BlockRecord>> records_;
    std::vector<Wpk2Digest> digests_;
    std::unique_ptr<Sha256> digest_;
    std::unique_ptr<std::FILE, FileCloser> source_;
};

Wpk2Writer::Wpk2Writer(const Wpk2Key& key) : key_(key)
{
    ivReady_ = !Wpk2WriterFaults::randomFails() && RAND_bytes(iv_.data(), int(iv_.size())) == 1;
}

void Wpk2Writer::setIv(const Wpk2Iv& iv)
{
    iv_ = iv;
    ivReady_ = true;
}

void Wpk2Writer::add(std::string name, std::vector<uint8_t> data, Layout layout)
{
    const bool onePiece = layout == OnePiece || (layout == Auto && data.size() <= Wpk2::BlockSize && !data.empty());
    const uint64_t size = data.size();
    items_.push_back({std::move(name), std::move(data), {}, size, onePiece});
}

void Wpk2Writer::addFile(std::string name, std::string path, uint64_t size, Layout layout)
{
    const bool onePiece = layout == OnePiece || (layout == Auto && size <= Wpk2::BlockSize && size != 0);
    items_.push_back({std::move(name), {}, std::move(path), size, onePiece});
}

bool Wpk2Writer::writeTo(Output& output, std::string* error) const
{
    return Session(*this, output, error).run();
}

std::vector<uint8_t> Wpk2Writer::build() const
{
    MemoryOutput output;
    std::string ignored;
    return writeTo(output, &ignored) ? std::move(output.bytes) : std::vector<uint8_t>{};
}

bool Wpk2Writer::writeFile(const std::string& path, std::string* error) const
{
    FileOutput output;
    std::string reason;
    if (output.file.open(path) < 0)
        reason = output.file.error();
    else if (!writeTo(output, &reason))
    {
        if (!output.file.error().empty())
            reason = output.file.error(); // the system's reason beats "cannot write the archive"
        output.file.abandon();
    }
    else if (output.file.commit() < 0)
        reason = output.file.error();
    if (error && !reason.empty())
        *error = reason.find(path) == std::string::npos ? "cannot write " + path + ": " + reason : reason;
    return reason.empty();
}

} // namespace Kavro
