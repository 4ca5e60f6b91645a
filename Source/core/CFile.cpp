#include "core/CFile.h"

#include "core/CApp.h"

#include <kavro/Bytes.h>
#include <kavro/CFile.h>
#include <kavro/ICore.h>
#include <kavro/IFileSystem.h>
#include <kavro/LoadReport.h>

namespace Orvane
{

namespace
{

Kavro::IFileSystem* applicationFileSystem()
{
    CApp* app = CApp::get();
    Kavro::ICore* core = app ? app->getCore() : nullptr;
    return core ? core->getFileSystem() : nullptr;
}

} // namespace

std::string CFile::explainMissing(const char* path)
{
    if (Kavro::IFileSystem* fileSystem = applicationFileSystem())
        return fileSystem->explainMissing(path);
    return Kavro::ExplainMissingPlainFile(path);
}

CFile::CFile(const char* path)
{
    open(path, 0, 0, 0);
}

CFile::~CFile()
{
    closeAll();
}

void CFile::closeAll()
{
    if (stream)
        stream->release();
    stream = nullptr;
    delete plainFile;
    plainFile = nullptr;
}

int CFile::open(const char* path, int, int mode, int flag)
{
    closeAll();
    if (Kavro::IFileSystem* fileSystem = applicationFileSystem())
    {
        stream = fileSystem->open(path, 0, mode, flag);
        if (!stream)
            return -1;
        return stream->isOpened() ? 0 : -1;
    }
    plainFile = new Kavro::CFile;
    return plainFile->Open(path, mode);
}

int CFile::close()
{
    if (stream)
        return stream->close();
    return plainFile ? plainFile->Close() : 0;
}

bool CFile::isOpen()
{
    if (stream)
        return stream->isOpened() != 0;
    return plainFile && plainFile->IsOpened();
}

uint32_t CFile::read(void* buffer, uint32_t size)
{
    if (stream)
        return stream->read(buffer, size);
    return plainFile ? plainFile->Read(buffer, size) : 0;
}

uint32_t CFile::write(const void* buffer, uint32_t size)
{
    if (stream)
        return stream->write(buffer, size);
    return plainFile ? plainFile->Write(buffer, size) : 0;
}

int CFile::flush()
{
    if (stream)
        return stream->flush();
    return plainFile ? plainFile->Flush() : -1;
}

int CFile::seekStart(int64_t offset)
{
    if (stream)
        return stream->seekStart(offset);
    return plainFile ? plainFile->SeekStart(offset) : -1;
}

int CFile::seekEnd(int64_t offset)
{
    if (stream)
        return stream->seekEnd(offset);
    return plainFile ? plainFile->SeekEnd(offset) : -1;
}

int CFile::seek(int64_t offset)
{
    if (stream)
        return stream->seek(offset);
    return plainFile ? plainFile->Seek(offset) : -1;
}

int64_t CFile::getFilePosition()
{
    if (stream)
        return stream->getFilePosition();
    return plainFile ? plainFile->GetFilePosition() : -1;
}

int CFile::load()
{
    if (stream)
        return stream->load();
    return plainFile ? plainFile->Load() : -1;
}

uint32_t CFile::getFileSize()
{
    if (stream)
        return stream->getFileSize();
    return plainFile ? plainFile->GetFileSize() : 0;
}

const uint8_t* CFile::getLoadData()
{
    if (stream)
        return stream->getLoadData();
    return plainFile ? plainFile->GetLoadData() : nullptr;
}

int CFile::writeDword(const uint32_t& value)
{
    uint8_t bytes[4];
    Kavro::storeLE32(bytes, value);
    return write(bytes, 4) == 4 ? 1 : 0;
}

int CFile::readDword(uint32_t& value)
{
    uint8_t bytes[4];
    if (read(bytes, 4) != 4)
        return 0;
    value = Kavro::loadLE32(bytes);
    return 1;
}

} // namespace Orvane
