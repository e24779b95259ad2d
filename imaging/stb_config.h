#pragma once
// How stb_image is built here: only the formats the system may lack, no file access of its own,
// sides capped so a lying header is refused before stb_image allocates for it.

#define STBI_ONLY_TGA
#define STBI_ONLY_PSD
#define STBI_ONLY_HDR
#define STBI_NO_STDIO
#define STBI_NO_FAILURE_STRINGS
#define STBI_MAX_DIMENSIONS (1 << 16)
