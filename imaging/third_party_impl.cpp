// The implementations of the header-only decoders (stb_image, qoi.h), compiled once and apart from
// the program's own code, so their warnings stay theirs.

#include "imaging/stb_config.h"
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

#define QOI_IMPLEMENTATION
#define QOI_NO_STDIO
#include <qoi.h>
