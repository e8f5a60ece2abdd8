#pragma once
// The origin look in fixed-function OpenGL (see viewer/OriginLook.h): the
// origin texture under the lit surface, and the graticule and tracks over it.
// Needs a current context; one thread. The texture and the lines are made on
// first use and again only after what they show has changed.
struct AppState;

// Binds the look's origin texture (uploading it when new or changed) and
// enables texturing, with the alpha test that leaves out the undrawn bands;
// endOriginTexture turns both off again.
void beginOriginTexture(const AppState& state);
void endOriginTexture(const AppState& state);

// The graticule, the tracks and each track's marker at the current time, in
// world coordinates under the view's modelview, unlit. Lines are depth-tested
// against the surface; markers are drawn over everything so that a point
// deep inside the surface can still be found.
void drawOriginLines(const AppState& state);

// The context that held the texture is gone (see forgetFontTexture).
void forgetOriginTexture();
