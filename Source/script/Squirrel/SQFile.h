#pragma once

#include "script/Squirrel/SQObject.h"

#include "script/SquirrelObject.h"

#include <cstdint>
#include <memory>
#include <string>

namespace Orvane
{
class CFile;
class CTask;
} // namespace Orvane

namespace Orvane::Squirrel
{

// Scripts' file of 32-bit integers, floats and texts over the engine file; also the file the state
// serialiser and the bindings' saved blocks go through, found by its task-object name.
class SQFile : public SQObject
{
public:
    static constexpr int chunkSize = 1024;
    static constexpr int maxChunks = 1024;

    explicit SQFile(const char* name);
    ~SQFile() override;

    // 0 on success, -1 on failure; a file already held is closed first, and when that close fails (a
    // written file could not replace the old one) the new file is still opened but -1 is returned.
    int open(const char* path, int mode, int flag);
    int isOpened();
    void setStringCodePage(int codePage);
    // Script-facing reads push null where there is nothing to read.
    SquirrelObject readString(int lineMode);
    SquirrelObject readInteger();
    SquirrelObject readFloat();
    int writeString(const char* text, int terminator);
    int writeInteger(int value);
    int writeFloat(float value);
    int getFileSize();
    int seekStart(int offset);
    int seekEnd(int offset);
    int seek(int offset);
    int getFilePosition();

    // The text of readString; false for null.
    bool readText(int lineMode, std::string& text);
    // The engine file while it is open, else null.
    CFile* getOpenFile();
    // The open engine file of the SQFile named name in task; null when there is no such object, it
    // is another kind of object, or its file is not open.
    static CFile* findOpenFile(CTask* task, const std::string& name);

    static void registerClass();

    const std::string& getPath() const { return path; }
    int getStringCodePage() const { return stringCodePage; }

private:
    // Closes the held file; false when a written file could not be saved.
    bool closeFile();

    std::string path;
    std::unique_ptr<CFile> file;
    int stringCodePage = 65001;
};

} // namespace Orvane::Squirrel
