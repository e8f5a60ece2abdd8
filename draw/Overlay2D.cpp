#include "draw/Overlay2D.h"

#include "draw/FontTexture.h"
#include "font/TextLayout.h"

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

    // Texture t grows downward through a glyph, so the quad's bottom edge
    // takes t1 and its top edge t0.
    glBegin(GL_QUADS);
    for (int i = 0; text[i] != '\0'; ++i) {
        const GlyphQuad q = glyphQuad(x, y, height, size, i, text[i]);
        glTexCoord2f(q.s0, q.t1);
        glVertex2f(q.x0, q.y0);
        glTexCoord2f(q.s1, q.t1);
        glVertex2f(q.x1, q.y0);
        glTexCoord2f(q.s1, q.t0);
        glVertex2f(q.x1, q.y1);
        glTexCoord2f(q.s0, q.t0);
        glVertex2f(q.x0, q.y1);
    }
    glEnd();

    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
}
