// stb_image's reader and writer, compiled here with the benchmark's own optimisation so that
// the comparison is between the two codes, not between two builds.
#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_ONLY_TGA
#include <stb_image.h>
#include <stb_image_write.h>
