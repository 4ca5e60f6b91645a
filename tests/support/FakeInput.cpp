#include "support/FakeInput.h"
