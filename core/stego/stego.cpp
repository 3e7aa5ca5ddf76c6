#include "core/stego/pixel_grid.h"
