// The checksum lives in the foundation so that the server's slide cache can
// use it too; the slide show's files keep including it by this name.
#pragma once

#include "foundation/PrimeTableHash.h"
