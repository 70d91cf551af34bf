// The one translation unit that compiles stb_image's decoder; every other file
// includes <stb/stb_image.h> for the declarations only.
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>
