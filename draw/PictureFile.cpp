#include "draw/PictureFile.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {
// Pictures larger than this are refused before their pixels are allocated
// (8192 x 4096 RGBA is 128 MB; the texture keeps at most 4096 columns).
constexpr png_uint_32 maxSide = 8192;
}

bool loadLookPicture(OriginLook& look, std::string& error)
{
    if (look.colours != ColourScheme::Image || look.image)
        return true;
    const std::string& path = look.imagePath;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        error = "cannot read the picture '" + path + "': " + std::strerror(errno);
        return false;
    }
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    const bool header = png_image_begin_read_from_stdio(&image, file) != 0;
    if (!header || image.width > maxSide || image.height > maxSide) {
        error = "cannot read the picture '" + path + "': " +
                (header ? std::string("it is larger than 8192 pixels a side") : std::string("not a PNG file (") +
                                                                                     image.message + ")");
        png_image_free(&image);
        std::fclose(file);
        return false;
    }
    auto picture = std::make_shared<Picture>();
    picture->width = static_cast<int>(image.width);
    picture->height = static_cast<int>(image.height);
    const std::string shape = checkEquirectangular(*picture);
    if (!shape.empty()) {
        error = "the picture '" + path + "' " + shape;
        png_image_free(&image);
        std::fclose(file);
        return false;
    }
    image.format = PNG_FORMAT_RGBA;
    picture->rgba.resize(PNG_IMAGE_SIZE(image));
    const bool read = png_image_finish_read(&image, nullptr, picture->rgba.data(), 0, nullptr) != 0;
    if (!read)
        error = "cannot read the picture '" + path + "': " + image.message;
    png_image_free(&image);
    std::fclose(file);
    if (!read)
        return false;
    look.image = std::move(picture);
    look.touch();
    return true;
}
