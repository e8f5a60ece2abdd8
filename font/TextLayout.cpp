#include "font/TextLayout.h"

#include "font/fontdata.h"

GlyphQuad glyphQuad(int x, int y, int viewHeight, float size, int index, char ch)
{
    GlyphQuad q{};
    glyphTexCoords(ch, q.s0, q.t0, q.s1, q.t1);
    // The cell keeps the glyph's 10 : 18 proportions at any size.
    const float advance = float(glyphWidth()) * size / float(glyphAscent() + glyphDescent());
    q.x0 = float(x) + float(index) * advance;
    q.x1 = q.x0 + advance;
    q.y0 = float(viewHeight - y - 1);
    q.y1 = q.y0 + size;
    return q;
}
