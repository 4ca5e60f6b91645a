#pragma once

#include "script/Squirrel/SQRenderingObject.h"

#include <cstdint>

namespace Orvane::Squirrel
{

// A drawable binding over an engine object of type T (void for bindings without a typed object).
template <typename T> class SQRenderer : public SQRenderingObject
{
public:
    explicit SQRenderer(const std::string& name) : SQRenderingObject(name) {}

    virtual int markFlag()
    {
        flag = 1;
        return 0;
    }
    virtual T* getEngineObject() = 0;

    int32_t getFlag() const { return flag; }

protected:
    int32_t word = 0;
    int32_t flag = 0;
    T* engine = nullptr;
};

} // namespace Orvane::Squirrel
