#include "draw/Overlay2D.h"

#include "draw/FontTexture.h"
#include "font/fontdata.h"

#include <GL/gl.h>

void Overlay2D::begin(int width, int height)
{
    this->width = width;
    this->height = height;
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, width, 0, height, -1, 1);
    glMatrixMode(GL_MODELVIEW);
}

void Overlay2D::end()
{
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}

void Overlay2D::drawText(int x, int y, const char* text, float size)
{
    if (!text)
        return;
    const float bottom = float(height - y - 1);

    glBindTexture(GL_TEXTURE_2D, fontTextureId());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glShadeModel(GL_FLAT);

    // The cell keeps the glyph's 10 : 18 proportions at any size.
    const float cellHeight = size;
    const float advance = float(glyphWidth()) * cellHeight / float(glyphAscent() + glyphDescent());

    // Texture t grows downward through a glyph, so the quad's bottom edge
    // takes t1 and its top edge t0.
    glBegin(GL_QUADS);
    for (int i = 0; text[i] != '\0'; ++i) {
        float s0 = 0, t0 = 0, s1 = 0, t1 = 0;
        glyphTexCoords(text[i], s0, t0, s1, t1);
        const float x0 = float(x) + float(i) * advance;
        const float x1 = x0 + advance;
        glTexCoord2f(s0, t1);
        glVertex2f(x0, bottom);
        glTexCoord2f(s1, t1);
        glVertex2f(x1, bottom);
        glTexCoord2f(s1, t0);
        glVertex2f(x1, bottom + cellHeight);
        glTexCoord2f(s0, t0);
        glVertex2f(x0, bottom + cellHeight);
    }
    glEnd();

    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
}
