#include "script/Squirrel/SQW1ScriptReader.h"

#include "script/SqPlus.h"

namespace Orvane::Squirrel
{

namespace
{

SquirrelObject recordTable(const CW1ScriptReader::Record& record)
{
    SquirrelObject table = SquirrelVM::CreateTable();
    table.SetValue("name", record.name.c_str());
    table.SetValue("value", record.value.c_str());
    SquirrelObject attributes = SquirrelVM::CreateTable();
    for (const auto& [name, value] : record.attributes)
        attributes.SetValue(name.c_str(), value.c_str()); // a later value of the same name wins
    table.SetValue("attr", attributes);
    return table;
}

} // namespace

int SQW1ScriptReader::read(const char* path)
{
    return reader.read(path);
}

SquirrelObject SQW1ScriptReader::getLine(int index)
{
    const auto& lines = reader.getLines();
    if (index < 0 || size_t(index) >= lines.size())
        return SquirrelObject();
    SquirrelObject array = SquirrelVM::CreateArray(0);
    for (const CW1ScriptReader::Record& record : lines[size_t(index)])
        array.ArrayAppend(recordTable(record));
    return array;
}

int SQW1ScriptReader::getLineNum()
{
    return int(reader.getLines().size());
}

void SQW1ScriptReader::registerClass()
{
    SquirrelObject scriptClass = SqPlus::RegisterClassType<SQW1ScriptReader>("SQW1ScriptReader");
    SqPlus::RegisterConstructor<SQW1ScriptReader, const char*>(scriptClass);
    SqPlus::RegisterInstance(scriptClass, &SQW1ScriptReader::read, "read");
    SqPlus::RegisterInstance(scriptClass, &SQW1ScriptReader::getLine, "getLine");
    SqPlus::RegisterInstance(scriptClass, &SQW1ScriptReader::getLineNum, "getLineNum");
}

} // namespace Orvane::Squirrel
