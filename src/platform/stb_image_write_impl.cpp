// The one translation unit that compiles stb_image_write's encoders; every other
// file includes the header only. Owns nothing else.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>
