// The one translation unit that compiles stb_image's decoder; every other file
// includes <stb/stb_image.h> for the declarations only.
#include <cstdlib>

// Zeroed allocations: the JPEG decoder's state holds a Huffman table for every
// slot, and a damaged file's scan may name a slot no table was defined for. Left
// uninitialised, such a table sends the decoder's code search past its arrays;
// zeroed, it decodes every code as the empty symbol 0 and the picture is garbage,
// but stays within bounds.
#define STBI_MALLOC(size) std::calloc(1, (size))
#define STBI_REALLOC(pointer, size) std::realloc((pointer), (size))
#define STBI_FREE(pointer) std::free(pointer)
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>
