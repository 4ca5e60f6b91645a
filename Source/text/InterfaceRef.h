#pragma once

#include <kavro/Ref.h>

namespace Orvane
{

// The library's counted reference, under the name the text code uses.
template <typename T> using InterfaceRef = Kavro::Ref<T>;

} // namespace Orvane
