// The font rasteriser and rectangle packer that the system's ImGui library
// expects from the outside (it is built against the system's stb, without copies).
// Does not: belong to anything but ImGui's font atlas.
#define STB_RECT_PACK_IMPLEMENTATION
#include <stb/stb_rect_pack.h>
#define STB_TRUETYPE_IMPLEMENTATION
#include <stb/stb_truetype.h>
