#include "draw/FontTexture.h"

#include <GL/gl.h>

#include "font/fontdata.h"
#include "geometry/check.h"

namespace {
GLuint name = 0;
}

void forgetFontTexture()
{
    name = 0;
}

unsigned int fontTextureId()
{
    if (name != 0)
        return name;

    const unsigned char* bitmap = fontBitmap();
    consistencyCheck(bitmap != nullptr, 31, "fontdata.cpp");
    const FontLayout& layout = fontLayout();

    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    // Rows of the bitmap are packed without padding.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA, layout.textureWidth, layout.textureHeight, 0, GL_ALPHA,
                 GL_UNSIGNED_BYTE, bitmap);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    return name;
}
