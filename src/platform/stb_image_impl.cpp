// The one translation unit that compiles stb_image's decoders; every other file
// includes the header only. Owns nothing else.
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>
