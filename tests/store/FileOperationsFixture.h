#pragma once

// Other layers' tests include the store fixture by this name.
#include "StoreFixture.h"
