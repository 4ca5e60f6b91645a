#include "script/Squirrel/SQFile.h"

#include "core/CFile.h"
#include "core/CTask.h"
#include "core/TextEncoding.h"
#include "script/SqPlus.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace Orvane::Squirrel
{

namespace
{

// How many bytes after b belong to the character b leads (those are never tested).
int trailingBytes(int codePage, uint8_t b)
{
    if (codePage == int(CodePageShiftJis))
        return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC) ? 1 : 0;
    if (codePage != int(CodePageUtf8))
        return 0;
    return std::max(utf8SequenceLength(b) - 1, 0);
}

bool isLineEnd(uint8_t b)
{
    return b == '\r' || b == '\n';
}

// Where a text ends in a chunk: its length there and the bytes consumed from the chunk's start.
struct TextEnd
{
    size_t length;
    size_t consumed;
};

bool findTextEnd(const uint8_t* chunk, size_t size, int codePage, int lineMode, TextEnd& end)
{
    int skip = 0;
    for (size_t i = 0; i < size; ++i)
    {
        const uint8_t b = chunk[i];
        if (skip > 0)
        {
            --skip;
            continue;
        }
        if ((skip = trailingBytes(codePage, b)) > 0)
            continue;
        if (b == 0)
        {
            end = {i, lineMode ? i : i + 1};
            return true;
        }
        if (lineMode && isLineEnd(b))
        {
            size_t j = i;
            while (j < size && isLineEnd(chunk[j]))
                ++j;
            end = {i, j};
            return true;
        }
    }
    return false;
}

SquirrelObject floatObject(float value)
{
    HSQUIRRELVM vm = SquirrelVM::GetVMPtr();
    sq_pushfloat(vm, value);
    SquirrelObject result;
    result.AttachToStackObject(-1);
    sq_pop(vm, 1);
    return result;
}

SquirrelObject stringObject(const std::string& text)
{
    HSQUIRRELVM vm = SquirrelVM::GetVMPtr();
    sq_pushstring(vm, text.c_str(), SQInteger(text.size()));
    SquirrelObject result;
    result.AttachToStackObject(-1);
    sq_pop(vm, 1);
    return result;
}

} // namespace

SQFile::SQFile(const char* name) : SQObject(name) {}

SQFile::~SQFile()
{
    closeFile();
}

// Closing a written file is when it replaces the old one; a failure there (a full disk) means the save
// was lost, so it is said on stderr and reported by the next open.
bool SQFile::closeFile()
{
    if (!file)
        return true;
    const bool closed = !file->isOpen() || file->close() == 0;
    if (!closed)
        std::fprintf(stderr, "SQFile: %s could not be saved whole; the file keeps its old contents\n", path.c_str());
    file.reset();
    return closed;
}

int SQFile::open(const char* newPath, int mode, int flag)
{
    const bool previousClosed = closeFile();
    path = newPath;
    auto opened = std::make_unique<CFile>();
    if (opened->open(newPath, 0, mode, flag) < 0 || !opened->isOpen())
        return -1;
    file = std::move(opened);
    return previousClosed ? 0 : -1;
}

CFile* SQFile::getOpenFile()
{
    return file && file->isOpen() ? file.get() : nullptr;
}

CFile* SQFile::findOpenFile(CTask* task, const std::string& name)
{
    if (!task)
        return nullptr;
    auto* fileObject = dynamic_cast<SQFile*>(task->findTaskObject(name));
    return fileObject ? fileObject->getOpenFile() : nullptr;
}

int SQFile::isOpened()
{
    return getOpenFile() ? 1 : 0;
}

void SQFile::setStringCodePage(int codePage)
{
    stringCodePage = codePage;
}

bool SQFile::readText(int lineMode, std::string& text)
{
    CFile* open = getOpenFile();
    if (!open)
        return false;
    const int64_t start = open->getFilePosition();
    std::string data;
    std::vector<uint8_t> chunk(chunkSize);
    TextEnd end{0, 0};
    bool found = false;
    for (int i = 0; i < maxChunks && !found; ++i)
    {
        std::fill(chunk.begin(), chunk.end(), 0);
        const uint32_t got = open->read(chunk.data(), chunkSize);
        if (got == 0)
        {
            // Data that ran out exactly at a chunk's end is still a text.
            if (data.empty())
                return false;
            break;
        }
        if (findTextEnd(chunk.data(), chunkSize, stringCodePage, lineMode, end))
        {
            found = true;
            end = {data.size() + end.length, data.size() + end.consumed};
        }
        data.append(reinterpret_cast<const char*>(chunk.data()), got);
    }
    if (!found)
        end = {data.size(), lineMode ? data.size() : data.size() + 1};
    data.resize(end.length);
    open->seekStart(start + int64_t(end.consumed));
    if (stringCodePage == int(CodePageUtf8))
    {
        text = std::move(data);
        return true;
    }
    std::u16string wide;
    toWide(uint32_t(stringCodePage), data, wide);
    utf16ToUtf8(wide, text);
    return true;
}

SquirrelObject SQFile::readString(int lineMode)
{
    std::string text;
    return readText(lineMode, text) ? stringObject(text) : SquirrelObject();
}

SquirrelObject SQFile::readInteger()
{
    CFile* open = getOpenFile();
    int32_t value = 0;
    if (!open || open->read(&value, sizeof value) != sizeof value)
        return SquirrelObject();
    SquirrelObject result;
    result.SetByValue(SQInteger(value));
    return result;
}

SquirrelObject SQFile::readFloat()
{
    CFile* open = getOpenFile();
    float value = 0;
    if (!open || open->read(&value, sizeof value) != sizeof value)
        return SquirrelObject();
    return floatObject(value);
}

int SQFile::writeString(const char* text, int terminator)
{
    CFile* open = getOpenFile();
    if (!open)
        return -1;
    std::string bytes = text;
    if (stringCodePage != int(CodePageUtf8))
    {
        std::u16string wide;
        utf8ToUtf16(text, wide);
        toMultiByte(uint32_t(stringCodePage), wide, bytes);
    }
    if (terminator)
        bytes.push_back('\0');
    return open->write(bytes.data(), uint32_t(bytes.size())) == bytes.size() ? 0 : -1;
}

int SQFile::writeInteger(int value)
{
    CFile* open = getOpenFile();
    const int32_t word = value;
    return open && open->write(&word, sizeof word) == sizeof word ? 0 : -1;
}

int SQFile::writeFloat(float value)
{
    CFile* open = getOpenFile();
    return open && open->write(&value, sizeof value) == sizeof value ? 0 : -1;
}

int SQFile::getFileSize()
{
    CFile* open = getOpenFile();
    return open ? int(open->getFileSize()) : 0;
}

int SQFile::seekStart(int offset)
{
    CFile* open = getOpenFile();
    return open ? open->seekStart(offset) : 0;
}

int SQFile::seekEnd(int offset)
{
    CFile* open = getOpenFile();
    return open ? open->seekEnd(offset) : 0;
}

int SQFile::seek(int offset)
{
    CFile* open = getOpenFile();
    return open ? open->seek(offset) : 0;
}

int SQFile::getFilePosition()
{
    CFile* open = getOpenFile();
    return open ? int(open->getFilePosition()) : 0;
}

void SQFile::registerClass()
{
    SquirrelObject scriptClass = SqPlus::RegisterClassType<SQFile>("SQFile");
    SqPlus::RegisterConstructor<SQFile, const char*>(scriptClass);
    RegisterLockMethods<SQFile>(scriptClass);
    SqPlus::RegisterInstance(scriptClass, &SQFile::open, "open");
    SqPlus::RegisterInstance(scriptClass, &SQFile::isOpened, "isOpened");
    SqPlus::RegisterInstance(scriptClass, &SQFile::setStringCodePage, "setStringCodePage");
    SqPlus::RegisterInstance(scriptClass, &SQFile::readString, "readString");
    SqPlus::RegisterInstance(scriptClass, &SQFile::readInteger, "readInteger");
    SqPlus::RegisterInstance(scriptClass, &SQFile::readFloat, "readFloat");
    SqPlus::RegisterInstance(scriptClass, &SQFile::writeString, "writeString");
    SqPlus::RegisterInstance(scriptClass, &SQFile::writeInteger, "writeInteger");
    SqPlus::RegisterInstance(scriptClass, &SQFile::writeFloat, "writeFloat");
    SqPlus::RegisterInstance(scriptClass, &SQFile::getFileSize, "getFileSize");
    SqPlus::RegisterInstance(scriptClass, &SQFile::seekStart, "seekStart");
    SqPlus::RegisterInstance(scriptClass, &SQFile::seekEnd, "seekEnd");
    SqPlus::RegisterInstance(scriptClass, &SQFile::seek, "seek");
    SqPlus::RegisterInstance(scriptClass, &SQFile::getFilePosition, "getFilePosition");
}

} // namespace Orvane::Squirrel
