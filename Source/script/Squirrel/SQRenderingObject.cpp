#include "script/Squirrel/SQRenderingObject.h"

#include "core/CChunkReader.h"
#include "core/CChunkWriter.h"
#include "core/CFile.h"
#include "core/CTask.h"
#include "script/Squirrel/SQFile.h"
#include "script/Squirrel/SQNutObject.h"
#include "sprite/CNullEffectBlur.h"

#include <limits>

namespace Orvane::Squirrel
{

SQRenderingObject::SQRenderingObject(const std::string& name)
    : CRenderingTaskObject(name), nutObject(new SQNutObject(name)), blur(new CNullEffectBlur)
{
}

SQRenderingObject::~SQRenderingObject()
{
    nutObject->release();
    blur->release();
}

IRenderTarget* SQRenderingObject::getSurface()
{
    if (engineObject)
        return engineObject->getSurface();
    return getTask() ? getTask()->getBackSurface() : nullptr;
}

int SQRenderingObject::setPriority(int32_t priority)
{
    return getTask() ? getTask()->setRenderingPriority(this, priority) : -1;
}

int32_t SQRenderingObject::getPriority()
{
    return getTask() ? getTask()->getRenderingPriority(this) : std::numeric_limits<int32_t>::max();
}

int32_t SQRenderingObject::setErase(int32_t value)
{
    return erase = value;
}

int32_t SQRenderingObject::getErase()
{
    return erase;
}

int32_t SQRenderingObject::setHidable(int32_t value)
{
    return hidable = value;
}

int32_t SQRenderingObject::getHidable()
{
    return hidable;
}

int SQRenderingObject::setBlur(int32_t enable, int32_t count, float alpha, int32_t interval, int32_t drawOrder)
{
    blur->release();
    if (!enable)
    {
        blur = new CNullEffectBlur;
        return 0;
    }
    blur = new CEffectBlur;
    return blur->set(uint32_t(count), alpha, uint32_t(interval), uint32_t(drawOrder));
}

void SQRenderingObject::setTimeScale(float scale)
{
    timeScale = scale;
}

int32_t SQRenderingObject::serialize(const char* fileObjectName)
{
    CFile* file = SQFile::findOpenFile(getTask(), fileObjectName);
    if (!file)
        return 0;
    CChunkWriter writer(*file);
    const uint32_t mode = blur->getType();
    bool written = writer.fieldDword(mode);
    if (written && mode != 0)
        written = writer.marker() && blur->save(*file) != 0;
    return writer.close() && written ? 1 : 0;
}

int32_t SQRenderingObject::deserialize(const char* fileObjectName)
{
    CFile* file = SQFile::findOpenFile(getTask(), fileObjectName);
    if (!file)
        return 0;
    CChunkReader reader(*file);
    uint32_t mode = 0;
    if (reader.fieldDword(mode) && mode != 0)
        reader.check(reader.marker() && blur->load(*file) != 0);
    return reader.finish();
}

int32_t SQRenderingObject::setLock(int32_t value)
{
    return nutObject->lock = value;
}

int32_t SQRenderingObject::getLock()
{
    return nutObject->lock;
}

int32_t SQRenderingObject::setDisused(int32_t value)
{
    return nutObject->disused = value;
}

int32_t SQRenderingObject::getDisused()
{
    return nutObject->disused;
}

} // namespace Orvane::Squirrel
