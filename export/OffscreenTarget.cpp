#include "export/OffscreenTarget.h"

#include "draw/FontTexture.h"
#include "draw/OriginDraw.h"

#define GL_GLEXT_PROTOTYPES 1
#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
// A colour and depth renderbuffer pair attached to a new framebuffer.
bool makeFramebuffer(int width, int height, int samples, unsigned& framebuffer, unsigned& color,
                     unsigned& depth)
{
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glGenRenderbuffers(1, &color);
    glBindRenderbuffer(GL_RENDERBUFFER, color);
    glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, GL_RGB8, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, color);
    glGenRenderbuffers(1, &depth);
    glBindRenderbuffer(GL_RENDERBUFFER, depth);
    glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, GL_DEPTH24_STENCIL8, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, depth);
    return glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
}

std::string eglFault(const char* what)
{
    char line[160];
    std::snprintf(line, sizeof line, "no usable EGL display for offscreen rendering (%s failed, error 0x%04x)",
                  what, static_cast<unsigned>(eglGetError()));
    return line;
}
}

OffscreenTarget::~OffscreenTarget()
{
    if (!display)
        return;
    if (context) {
        if (multisampleFramebuffer) {
            const GLuint renderbuffers[] = {multisampleColor, multisampleDepth};
            glDeleteFramebuffers(1, &multisampleFramebuffer);
            glDeleteRenderbuffers(2, renderbuffers);
        }
        eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        eglDestroyContext(display, context);
        // The font and origin textures died with the context.
        forgetFontTexture();
        forgetOriginTexture();
    }
    if (surface)
        eglDestroySurface(display, surface);
    eglTerminate(display);
}

bool OffscreenTarget::open(int w, int h, int s, std::string& error)
{
    width = w;
    height = h;
    samples = s > 1 ? s : 0;

    // Mesa's EGL would print its own warnings when no driver loads; the
    // caller reports the failure in one line instead. A level the user set
    // is kept.
    setenv("EGL_LOG_LEVEL", "fatal", 0);

    // The platform is named explicitly so that no DISPLAY or WAYLAND_DISPLAY
    // is ever consulted.
    const char* clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    if (!clientExtensions || !std::strstr(clientExtensions, "EGL_MESA_platform_surfaceless")) {
        error = "no usable EGL display for offscreen rendering (Mesa's surfaceless platform is missing)";
        return false;
    }
    auto getPlatformDisplay =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (!getPlatformDisplay) {
        error = eglFault("eglGetPlatformDisplayEXT");
        return false;
    }
    EGLDisplay dpy = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (dpy == EGL_NO_DISPLAY) {
        error = eglFault("eglGetPlatformDisplayEXT");
        return false;
    }
    EGLint major = 0, minor = 0;
    if (!eglInitialize(dpy, &major, &minor)) {
        error = eglFault("eglInitialize");
        return false;
    }
    display = dpy;
    // The viewer's window is 8-bit RGB without alpha, with a 24-bit depth
    // buffer; the same layout here keeps every rounding the same. (A
    // framebuffer object of the same formats differs from the window in a
    // few silhouette pixels by one level; a pbuffer matches it exactly.)
    const EGLint configAttributes[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                                       EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8, EGL_DEPTH_SIZE, 24,
                                       EGL_NONE};
    EGLConfig configs[64];
    EGLint configCount = 0;
    EGLConfig config = nullptr;
    if (eglBindAPI(EGL_OPENGL_API) && eglChooseConfig(dpy, configAttributes, configs, 64, &configCount))
        for (int i = 0; i < configCount && !config; ++i) {
            EGLint r = 0, g = 0, b = 0, a = 0, depth = 0, multisample = 0;
            eglGetConfigAttrib(dpy, configs[i], EGL_RED_SIZE, &r);
            eglGetConfigAttrib(dpy, configs[i], EGL_GREEN_SIZE, &g);
            eglGetConfigAttrib(dpy, configs[i], EGL_BLUE_SIZE, &b);
            eglGetConfigAttrib(dpy, configs[i], EGL_ALPHA_SIZE, &a);
            eglGetConfigAttrib(dpy, configs[i], EGL_DEPTH_SIZE, &depth);
            eglGetConfigAttrib(dpy, configs[i], EGL_SAMPLES, &multisample);
            if (r == 8 && g == 8 && b == 8 && a == 0 && depth == 24 && multisample == 0)
                config = configs[i];
        }
    if (!config) {
        error = eglFault("choosing an 8-bit RGB configuration");
        eglTerminate(dpy);
        display = nullptr;
        return false;
    }
    EGLint maxPbufferWidth = 0, maxPbufferHeight = 0;
    eglGetConfigAttrib(dpy, config, EGL_MAX_PBUFFER_WIDTH, &maxPbufferWidth);
    eglGetConfigAttrib(dpy, config, EGL_MAX_PBUFFER_HEIGHT, &maxPbufferHeight);
    // No version asked: Mesa then gives its newest compatibility profile.
    context = eglCreateContext(dpy, config, EGL_NO_CONTEXT, nullptr);
    if (context == EGL_NO_CONTEXT || !eglMakeCurrent(dpy, EGL_NO_SURFACE, EGL_NO_SURFACE, context)) {
        error = eglFault("creating an OpenGL context");
        context = nullptr;
        return false;
    }

    GLint maxRenderbuffer = 0, maxViewport[2] = {0, 0}, maxSamples = 0;
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &maxRenderbuffer);
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, maxViewport);
    glGetIntegerv(GL_MAX_SAMPLES, &maxSamples);
    int maxWidth = std::min<int>(maxPbufferWidth, maxViewport[0]);
    int maxHeight = std::min<int>(maxPbufferHeight, maxViewport[1]);
    if (samples > 0) {
        maxWidth = std::min<int>(maxWidth, maxRenderbuffer);
        maxHeight = std::min<int>(maxHeight, maxRenderbuffer);
    }
    if (width > maxWidth || height > maxHeight) {
        error = "--size " + std::to_string(width) + "x" + std::to_string(height) + " is over the renderer's limit of " +
                std::to_string(maxWidth) + "x" + std::to_string(maxHeight);
        return false;
    }
    if (samples > maxSamples) {
        error = "--samples " + std::to_string(samples) + " is over the renderer's limit of " +
                std::to_string(maxSamples);
        return false;
    }
    const EGLint pbufferAttributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    surface = eglCreatePbufferSurface(dpy, config, pbufferAttributes);
    if (surface == EGL_NO_SURFACE || !eglMakeCurrent(dpy, surface, surface, context)) {
        error = "the renderer cannot make a " + std::to_string(width) + "x" + std::to_string(height) + " picture";
        if (surface == EGL_NO_SURFACE)
            surface = nullptr;
        return false;
    }
    if (samples > 0 &&
        !makeFramebuffer(width, height, samples, multisampleFramebuffer, multisampleColor, multisampleDepth)) {
        error = "the renderer cannot make a " + std::to_string(width) + "x" + std::to_string(height) +
                " multisampled framebuffer";
        return false;
    }
    bindForDrawing();
    return true;
}

void OffscreenTarget::bindForDrawing() const
{
    glBindFramebuffer(GL_FRAMEBUFFER, samples > 0 ? multisampleFramebuffer : 0);
}

void OffscreenTarget::readRgb(std::vector<unsigned char>& rgb) const
{
    if (samples > 0) {
        glBindFramebuffer(GL_READ_FRAMEBUFFER, multisampleFramebuffer);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
        glBlitFramebuffer(0, 0, width, height, 0, 0, width, height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
    rgb.resize(rowBytes * static_cast<std::size_t>(height));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    // OpenGL's rows run bottom-up; pictures and movies run top-down.
    std::vector<unsigned char> row(rowBytes);
    for (int top = 0, bottom = height - 1; top < bottom; ++top, --bottom) {
        unsigned char* a = rgb.data() + static_cast<std::size_t>(top) * rowBytes;
        unsigned char* b = rgb.data() + static_cast<std::size_t>(bottom) * rowBytes;
        std::memcpy(row.data(), a, rowBytes);
        std::memcpy(a, b, rowBytes);
        std::memcpy(b, row.data(), rowBytes);
    }
    bindForDrawing();
}

std::string OffscreenTarget::description() const
{
    const auto* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    const auto* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    return std::string(version ? version : "?") + ", " + (renderer ? renderer : "?");
}
