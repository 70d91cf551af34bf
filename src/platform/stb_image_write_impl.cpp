// The one translation unit that compiles stb_image_write's encoders; every other
// file includes <stb/stb_image_write.h> for the declarations only.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>
