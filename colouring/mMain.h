#pragma once
// The shared drawing module: colour swatches and shading bands, and brush stamping.

#include "mMain_Stamp.h"
#include "mMain_Swatch.h"
