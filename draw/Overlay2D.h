#pragma once
// Text in window pixels over a 3D view, drawn with the built-in font.
//
// Overlay coordinates count from the top-left corner with y growing downward,
// like window pixels; overlay row y is OpenGL row height - y - 1. begin()
// swaps in an orthographic projection of the width x height pixel rectangle
// (the caller sets up the modelview matrix) and end() restores the previous
// projection, so the two must be paired.

struct Overlay2D {
    int width = 10;
    int height = 10;

    void begin(int width, int height);
    void end();
    // Draws in the current colour. y is the overlay row of the bottom edge of
    // the character cells and size the cell height in pixels; at size 18 each
    // glyph pixel covers one screen pixel. Leaves blending and texturing off
    // and the shade model flat. A null text draws nothing and changes nothing.
    void drawText(int x, int y, const char* text, float size);
};
