#pragma once
// Shared by the OpenGL tests: the 512 x 512 back buffer of the test window
// read back as RGB bytes, and a clean slate to draw on.
#include <GL/gl.h>

#include <vector>

constexpr int viewSize = 512;

struct FrameImage {
    std::vector<unsigned char> rgb = std::vector<unsigned char>(viewSize * viewSize * 3);
    // Row y counts upward from the bottom, as OpenGL's rows do.
    const unsigned char* at(int x, int y) const { return &rgb[(y * viewSize + x) * 3]; }
    int level(int x, int y) const { return at(x, y)[0]; }
    bool black(int x, int y) const { return is(x, y, 0, 0, 0); }
    // Off-image positions match no colour.
    bool is(int x, int y, int r, int g, int b) const
    {
        if (x < 0 || y < 0 || x >= viewSize || y >= viewSize)
            return false;
        const unsigned char* p = at(x, y);
        return p[0] == r && p[1] == g && p[2] == b;
    }
};

inline FrameImage readBackFrame()
{
    FrameImage image;
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, viewSize, viewSize, GL_RGB, GL_UNSIGNED_BYTE, image.rgb.data());
    return image;
}

// Full-window viewport, black colour and cleared depth, no depth test.
inline void clearView()
{
    glViewport(0, 0, viewSize, viewSize);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_DEPTH_TEST);
}
