#pragma once

#include "core/CObject.h"

namespace Orvane
{

class CFile;

// An engine object that writes and reads itself through an engine file.
class CSerializeObject : public CObject
{
public:
    using CObject::CObject;

    // 0 or more: success; negative: failure.
    virtual int write(CFile& file) = 0;
    virtual int read(CFile& file) = 0;
};

} // namespace Orvane
