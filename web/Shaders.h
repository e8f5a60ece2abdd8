#pragma once
// GLSL ES 3.00 sources of the browser renderer. Together they reproduce the
// desktop's fixed-function frame: the surface lit per vertex in eye space
// with one positional light and two-sided materials, unlit white points and
// lines, wireframe edges that obey face culling, and the heads-up text from
// the font texture. Every vertex shader takes column-major 4 x 4 matrices.
//
// The surface shaders are compiled twice, once with smooth and once with flat
// colours: flat takes the last vertex of each triangle, as the desktop's flat
// shade model does on its triangle strips.
//
// Coloured by origin (`textured`), each vertex's grid parameters (u, v) go
// through the copy's origin transform into the origin texture, whose colour
// multiplies the lit colour as the desktop's modulating texture does; with
// `bands`, fragments of undrawn bands (alpha at most 0.5) are dropped as the
// desktop's alpha test drops them.

namespace shaders {

// Light 0 at its defaults (white diffuse and specular, black ambient), the
// light model's ambient 0.2 on the default material ambient 0.2, no emission,
// an infinite viewer; the material's diffuse, specular and shininess come as
// uniforms. Colours are clamped per vertex, as the
// fixed pipeline clamps them before interpolation; the back colour is lit
// with the negated normal.
inline constexpr const char* surfaceVertex = R"(
layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;
layout(location = 2) in vec2 gridParameter;
uniform mat4 modelView;
uniform mat4 projection;
uniform mat3 originTransform;
uniform vec3 lightPosition;
uniform vec3 frontDiffuse;
uniform vec3 backDiffuse;
uniform vec3 specular;
uniform float shininess;
INTERPOLATION out vec3 frontColor;
INTERPOLATION out vec3 backColor;
out vec2 originCoord;

const vec3 sceneAmbient = vec3(0.04);

vec3 shade(vec3 n, vec3 l, vec3 diffuse)
{
    float nl = dot(n, l);
    vec3 color = sceneAmbient + max(nl, 0.0) * diffuse;
    if (nl > 0.0) {
        vec3 h = normalize(l + vec3(0.0, 0.0, 1.0));
        color += pow(max(dot(n, h), 0.0), shininess) * specular;
    }
    return clamp(color, 0.0, 1.0);
}

void main()
{
    vec4 eyePosition = modelView * vec4(position, 1.0);
    // The modelview is a rotation and a translation, so its upper 3 x 3 is
    // its own inverse transpose and keeps unit normals unit.
    vec3 n = mat3(modelView) * normal;
    vec3 l = normalize(lightPosition - eyePosition.xyz);
    frontColor = shade(n, l, frontDiffuse);
    backColor = shade(-n, l, backDiffuse);
    originCoord = (originTransform * vec3(gridParameter, 1.0)).xy;
    gl_Position = projection * eyePosition;
}
)";

inline constexpr const char* surfaceFragment = R"(
precision highp float;
INTERPOLATION in vec3 frontColor;
INTERPOLATION in vec3 backColor;
in vec2 originCoord;
uniform bool textured;
uniform bool bands;
uniform sampler2D origin;
out vec4 fragColor;

void main()
{
    vec3 color = gl_FrontFacing ? frontColor : backColor;
    if (textured) {
        vec4 texel = texture(origin, originCoord);
        if (bands && texel.a <= 0.5)
            discard;
        color *= texel.rgb;
    }
    fragColor = vec4(color, 1.0);
}
)";

// Points and lines in one colour: the unlit surface modes and the scene
// decorations.
inline constexpr const char* plainVertex = R"(
layout(location = 0) in vec3 position;
uniform mat4 modelView;
uniform mat4 projection;

void main()
{
    gl_PointSize = 1.0;
    gl_Position = projection * modelView * vec4(position, 1.0);
}
)";

inline constexpr const char* plainFragment = R"(
precision highp float;
uniform vec3 color;
out vec4 fragColor;

void main()
{
    fragColor = vec4(color, 1.0);
}
)";

// Track markers: points of a given size in one colour.
inline constexpr const char* markerVertex = R"(
layout(location = 0) in vec3 position;
uniform mat4 modelView;
uniform mat4 projection;
uniform float pointSize;

void main()
{
    gl_PointSize = pointSize;
    gl_Position = projection * modelView * vec4(position, 1.0);
}
)";

// Thick lines (WebGL draws lines one pixel wide): each segment from `start`
// to `end` is a quad of two triangles whose corners say which end they sit at
// (corner.x 0 or 1) and on which side (corner.y -1 or 1); the side is offset
// across the segment's direction on screen by half of `width` pixels.
inline constexpr const char* thickLineVertex = R"(
layout(location = 0) in vec3 start;
layout(location = 1) in vec3 end;
layout(location = 2) in vec2 corner;
uniform mat4 modelView;
uniform mat4 projection;
uniform vec2 viewSize;
uniform float width;

void main()
{
    vec4 a = projection * modelView * vec4(start, 1.0);
    vec4 b = projection * modelView * vec4(end, 1.0);
    vec2 along = (b.xy / b.w - a.xy / a.w) * viewSize;
    vec2 across = length(along) > 0.0 ? normalize(vec2(-along.y, along.x)) : vec2(0.0, 1.0);
    vec4 here = corner.x < 0.5 ? a : b;
    here.xy += across * corner.y * width / viewSize * here.w;
    gl_Position = here;
}
)";

// Wireframe: every edge of every triangle as a line. Lines are never culled
// by the rasteriser, but the desktop's outlined polygons are, so each edge
// carries the three corners of its triangle in winding order and is moved
// outside the clip volume when that triangle faces the culled way. The
// determinant of the clip-space (x, y, w) rows has the sign of the window
// area (positive counter-clockwise) while all w are positive; front faces
// wind clockwise. cullMode: 0 none, 1 back faces, 2 front faces.
inline constexpr const char* wireVertex = R"(
layout(location = 0) in vec3 position;
layout(location = 1) in vec3 cornerA;
layout(location = 2) in vec3 cornerB;
layout(location = 3) in vec3 cornerC;
uniform mat4 modelView;
uniform mat4 projection;
uniform int cullMode;

void main()
{
    mat4 toClip = projection * modelView;
    vec4 a = toClip * vec4(cornerA, 1.0);
    vec4 b = toClip * vec4(cornerB, 1.0);
    vec4 c = toClip * vec4(cornerC, 1.0);
    bool front = determinant(mat3(a.xyw, b.xyw, c.xyw)) < 0.0;
    bool culled = (cullMode == 1 && !front) || (cullMode == 2 && front);
    gl_Position = culled ? vec4(0.0, 0.0, 2.0, 1.0) : toClip * vec4(position, 1.0);
}
)";

// Text quads in view pixels counted upward from the bottom, at depth 0 of
// the overlay projection (window depth 0.5), white, with the glyph coverage
// from the one-channel font texture as alpha.
inline constexpr const char* textVertex = R"(
layout(location = 0) in vec2 pixel;
layout(location = 1) in vec2 texCoord;
uniform vec2 viewSize;
out vec2 glyphCoord;

void main()
{
    glyphCoord = texCoord;
    gl_Position = vec4(2.0 * pixel / viewSize - 1.0, 0.0, 1.0);
}
)";

inline constexpr const char* textFragment = R"(
precision highp float;
uniform sampler2D font;
in vec2 glyphCoord;
out vec4 fragColor;

void main()
{
    fragColor = vec4(1.0, 1.0, 1.0, texture(font, glyphCoord).r);
}
)";

}  // namespace shaders
