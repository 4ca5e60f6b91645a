#pragma once

#include "model/CModelMaterial.h"
#include "script/SquirrelObject.h"

namespace Orvane::Squirrel
{

// Fills record from a script material table by the key paths of the record's fields ("diffuse_map.filename",
// "specular_color.power", ...). Keys that are missing, or whose enclosing value is not a table, leave their
// field as it was, so the record is zeroed first. Always 0.
int readMaterialTable(const SquirrelObject& table, MaterialRecord& record);

} // namespace Orvane::Squirrel
