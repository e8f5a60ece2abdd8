#pragma once
// An OpenGL context with no window and no X server: EGL on Mesa's surfaceless
// platform, desktop OpenGL in the compatibility profile (fixed-function
// lighting, as the viewer draws), rendering into a pbuffer of the export size
// with the viewer window's pixel layout. With samples > 1 the frame is drawn
// into a multisampled framebuffer object and resolved into the pbuffer before
// read-back.
//
// One target per thread; the context is current on the creating thread from
// open() until the destructor. Not copyable.
#include <string>
#include <vector>

class OffscreenTarget {
public:
    OffscreenTarget() = default;
    OffscreenTarget(const OffscreenTarget&) = delete;
    OffscreenTarget& operator=(const OffscreenTarget&) = delete;
    ~OffscreenTarget();

    // Creates the context, checks the size against the renderer's limits
    // and binds the framebuffer for drawing. On failure returns false with
    // a one-line reason in `error`.
    bool open(int width, int height, int samples, std::string& error);

    // Makes the framebuffer to draw into current again (after a read-back).
    void bindForDrawing() const;

    // The finished frame as tightly packed RGB rows, top row first.
    void readRgb(std::vector<unsigned char>& rgb) const;

    // "4.5 (Compatibility Profile) Mesa ..., llvmpipe ..." once open.
    std::string description() const;

private:
    void* display = nullptr;  // EGLDisplay
    void* context = nullptr;  // EGLContext
    void* surface = nullptr;  // EGLSurface, the pbuffer
    unsigned multisampleFramebuffer = 0, multisampleColor = 0, multisampleDepth = 0;
    int width = 0, height = 0, samples = 0;
};
