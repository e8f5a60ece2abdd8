#include "export/PngWriter.h"

#include <png.h>

#include <csetjmp>
#include <vector>

namespace {
void onPngError(png_structp png, png_const_charp message)
{
    auto* error = static_cast<std::string*>(png_get_error_ptr(png));
    *error = std::string("cannot write the PNG: ") + message;
    png_longjmp(png, 1);
}

void onPngWarning(png_structp, png_const_charp) {}
}

bool writePng(std::FILE* file, int width, int height, const unsigned char* rgb, std::string& error)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &error, onPngError, onPngWarning);
    if (!png) {
        error = "cannot write the PNG: out of memory";
        return false;
    }
    png_infop info = png_create_info_struct(png);
    // Built before the jump point: a jump must not skip its destructor.
    std::vector<png_const_bytep> rows(static_cast<std::size_t>(height));
    for (int r = 0; r < height; ++r)
        rows[static_cast<std::size_t>(r)] = rgb + static_cast<std::size_t>(r) * width * 3;
    if (!info || setjmp(png_jmpbuf(png))) {
        if (!info)
            error = "cannot write the PNG: out of memory";
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_rows(png, const_cast<png_bytepp>(rows.data()), static_cast<png_uint_32>(height));
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    if (std::fflush(file) != 0 || std::ferror(file)) {
        error = "cannot write the PNG: the disk refused the data";
        return false;
    }
    return true;
}
