#include "CompilerFixture.h"

#include <gtest/gtest.h>
