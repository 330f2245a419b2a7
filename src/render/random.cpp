#include "render/random.h"

uint32_t randomState = 0;
