#pragma once

// Declared for tools and tests in the tooling header set.
#include <kavro/ImageCodec.h>
