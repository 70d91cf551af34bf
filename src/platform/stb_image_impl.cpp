// The one translation unit that compiles stb_image's decoder; every other file
// includes <stb/stb_image.h> for the declarations only.
// Does not: decode JPEG (our JPEG reader does, through libjpeg-turbo) or BMP (our BMP reader).
#define STBI_NO_JPEG
#define STBI_NO_BMP
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>
