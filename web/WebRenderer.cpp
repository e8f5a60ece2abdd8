#include "web/WebRenderer.h"

#include <GLES3/gl3.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "camera/Camera.h"
#include "font/TextLayout.h"
#include "font/fontdata.h"
#include "geometry/Decorations.h"
#include "viewer/AppState.h"
#include "viewer/HeadsUp.h"
#include "viewer/Origin.h"
#include "viewer/CurveStyle.h"
#include "viewer/SeamFreeSurface.h"
#include "viewer/SurfaceCopy.h"
#include "viewer/SurfaceLook.h"
#include "web/GLProgram.h"
#include "web/Shaders.h"

namespace {
void setMatrix(GLuint program, const char* name, const Matrix4& m)
{
    glUniformMatrix4fv(glGetUniformLocation(program, name), 1, GL_FALSE, m.data());
}

void setVector(GLuint program, const char* name, float x, float y, float z)
{
    glUniform3f(glGetUniformLocation(program, name), x, y, z);
}

// A turn about a coordinate axis given in degrees, as glRotatef takes it.
Matrix4 turn(float degrees, const Vector3& axis)
{
    Matrix4 m;
    m.setRotation(static_cast<float>(double(degrees) * std::numbers::pi / 180.0), axis);
    return m;
}

void appendPoint(std::vector<float>& out, const Vector3& p)
{
    out.insert(out.end(), {p.x, p.y, p.z});
}

// Sends `data` (floatsPerVertex floats a vertex) into `buffer` and draws it
// once through `array`, whose attributes already point into that buffer.
void streamAndDraw(GLuint array, GLuint buffer, const std::vector<float>& data, GLenum mode, int floatsPerVertex)
{
    glBindVertexArray(array);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(data.size() * sizeof(float)), data.data(),
                 GL_STREAM_DRAW);
    glDrawArrays(mode, 0, static_cast<GLsizei>(data.size() / static_cast<size_t>(floatsPerVertex)));
    glBindVertexArray(0);
}

// Lines between consecutive pairs of points, in one colour, under `view`.
void drawLines(GLuint program, GLuint array, GLuint buffer, const std::vector<float>& points, const float (&color)[3])
{
    glUniform3f(glGetUniformLocation(program, "color"), color[0], color[1], color[2]);
    streamAndDraw(array, buffer, points, GL_LINES, 3);
}

void appendCone(std::vector<float>& out, const Vector3& apex, const Vector3& direction, float halfAngle,
                float slant, int segments)
{
    const ConeGeometry cone = coneGeometry(apex, direction, halfAngle, slant, segments);
    const Vector3 tip = cone.frame * Vector3(0, 0, 0, 1);
    for (const Vector3& p : cone.base) {
        appendPoint(out, tip);
        appendPoint(out, cone.frame * p);
    }
}

void drawDecorations(const AppState& state, const Camera& camera, GLuint program, GLuint array, GLuint buffer)
{
    std::vector<float> points;
    if (state.showWorldAxes) {
        const Vector3 origin(-1, -1, -1, 1);
        const Vector3 axis[3] = {{1, 0, 0, 1}, {0, 1, 0, 1}, {0, 0, 1, 1}};
        static const float colors[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
        const AxesGeometry axes = axesGeometry(origin, axis[0], axis[1], axis[2], 1.0f);
        for (int i = 0; i < 3; ++i) {
            points.clear();
            appendPoint(points, origin);
            appendPoint(points, axes.end[i]);
            appendCone(points, axes.end[i], -axis[i], axes.arrowHalfAngle, axes.arrowSlant, axes.arrowSegments);
            drawLines(program, array, buffer, points, colors[i]);
        }
    }
    if (state.showCameraTarget) {
        static const float cyan[3] = {0, 1, 1};
        int column = 0;
        int row = 0;
        const float depth = camera.projectToPixel(camera.target, column, row);
        const CrossGeometry cross = targetCrossGeometry(camera.target, camera.worldSizeAtDepth(depth, 0.05f));
        points.clear();
        for (const Vector3& end : cross.ends)
            appendPoint(points, end);
        drawLines(program, array, buffer, points, cyan);
    }
}

void appendLine(std::vector<float>& out, int y, const char* text, int viewHeight)
{
    for (int i = 0; text[i] != '\0'; ++i) {
        const GlyphQuad q = glyphQuad(headsUpX, y, viewHeight, headsUpTextSize, i, text[i]);
        // Two triangles of the quad, bottom edge with t1, top edge with t0.
        const float corners[6][4] = {{q.x0, q.y0, q.s0, q.t1}, {q.x1, q.y0, q.s1, q.t1}, {q.x1, q.y1, q.s1, q.t0},
                                     {q.x0, q.y0, q.s0, q.t1}, {q.x1, q.y1, q.s1, q.t0}, {q.x0, q.y1, q.s0, q.t0}};
        for (const auto& c : corners)
            out.insert(out.end(), c, c + 4);
    }
}
}

void WebRenderer::bindOriginTexture(const AppState& state)
{
    // Unit 1, so the font keeps unit 0.
    glActiveTexture(GL_TEXTURE1);
    if (!originTexture)
        glGenTextures(1, &originTexture);
    glBindTexture(GL_TEXTURE_2D, originTexture);
    if (originRevision != state.look.revision) {
        const Picture texture = ::originTexture(state.look);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, texture.width, texture.height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                     texture.rgba.data());
        // Longitude goes round; latitude stops at the poles.
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        originRevision = state.look.revision;
    }
    glActiveTexture(GL_TEXTURE0);
}

void WebRenderer::drawOriginLines(const AppState& state, const float (&projection)[16], const float (&viewing)[16],
                                  float pixelScale)
{
    glUseProgram(plainProgram);
    glUniformMatrix4fv(glGetUniformLocation(plainProgram, "projection"), 1, GL_FALSE, projection);
    glUniformMatrix4fv(glGetUniformLocation(plainProgram, "modelView"), 1, GL_FALSE, viewing);
    // White on the colour schemes; black on the yellow and violet sides.
    const float grey = state.look.colours == ColourScheme::Sides ? 0.0f : 1.0f;
    setVector(plainProgram, "color", grey, grey, grey);
    for (const Polyline& line : originLines.graticule)
        streamAndDraw(lineArray, lineBuffer, line.points, GL_LINE_STRIP, 3);
    if (originLines.tracks.empty())
        return;
    setVector(plainProgram, "color", 1, 0.15f, 0.1f);
    for (const Polyline& line : originLines.tracks)
        streamAndDraw(lineArray, lineBuffer, line.points, GL_LINE_STRIP, 3);

    // Markers: a red ring round a white dot, over everything.
    glUseProgram(markerProgram);
    glUniformMatrix4fv(glGetUniformLocation(markerProgram, "projection"), 1, GL_FALSE, projection);
    glUniformMatrix4fv(glGetUniformLocation(markerProgram, "modelView"), 1, GL_FALSE, viewing);
    glDisable(GL_DEPTH_TEST);
    for (const auto& [size, grey] : {std::pair{11.0f, 0.0f}, std::pair{7.0f, 1.0f}}) {
        glUniform1f(glGetUniformLocation(markerProgram, "pointSize"), size * pixelScale);
        setVector(markerProgram, "color", 1, grey, grey);
        streamAndDraw(lineArray, lineBuffer, originLines.markers, GL_POINTS, 3);
    }
    glEnable(GL_DEPTH_TEST);
}

bool WebRenderer::init()
{
    smoothProgram = buildProgram(shaders::surfaceVertex, shaders::surfaceFragment, "#define INTERPOLATION smooth\n");
    flatProgram = buildProgram(shaders::surfaceVertex, shaders::surfaceFragment, "#define INTERPOLATION flat\n");
    plainProgram = buildProgram(shaders::plainVertex, shaders::plainFragment, "");
    wireProgram = buildProgram(shaders::wireVertex, shaders::plainFragment, "");
    textProgram = buildProgram(shaders::textVertex, shaders::textFragment, "");
    markerProgram = buildProgram(shaders::markerVertex, shaders::plainFragment, "");
    thickLineProgram = buildProgram(shaders::thickLineVertex, shaders::plainFragment, "");
    if (!smoothProgram || !flatProgram || !plainProgram || !wireProgram || !textProgram || !markerProgram ||
        !thickLineProgram)
        return false;

    glGenVertexArrays(1, &thickLineArray);
    glGenBuffers(1, &thickLineBuffer);
    glBindVertexArray(thickLineArray);
    glBindBuffer(GL_ARRAY_BUFFER, thickLineBuffer);
    for (GLuint a = 0; a < 3; ++a) {
        glEnableVertexAttribArray(a);
        glVertexAttribPointer(a, a < 2 ? 3 : 2, GL_FLOAT, GL_FALSE, 8 * sizeof(float),
                              reinterpret_cast<void*>(a * 3 * sizeof(float)));
    }

    glGenVertexArrays(1, &lineArray);
    glGenBuffers(1, &lineBuffer);
    glBindVertexArray(lineArray);
    glBindBuffer(GL_ARRAY_BUFFER, lineBuffer);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 3 * sizeof(float), nullptr);

    glGenVertexArrays(1, &textArray);
    glGenBuffers(1, &textBuffer);
    glBindVertexArray(textArray);
    glBindBuffer(GL_ARRAY_BUFFER, textBuffer);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 4 * sizeof(float), nullptr);
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, 4 * sizeof(float), reinterpret_cast<void*>(2 * sizeof(float)));
    glBindVertexArray(0);

    // The font bitmap as a one-channel texture, filtered linearly as on the
    // desktop; its glyphs have empty borders, so clamping to the edge reads
    // the same as clamping to the border.
    const FontLayout& layout = fontLayout();
    glGenTextures(1, &fontTexture);
    glBindTexture(GL_TEXTURE_2D, fontTexture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_R8, layout.textureWidth, layout.textureHeight, 0, GL_RED, GL_UNSIGNED_BYTE,
                 fontBitmap());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    return true;
}

void WebRenderer::render(AppState& state, float pixelScale, const CurveDisplay* curves)
{
    shownCurves = state.doubleCurves ? curves : nullptr;
    glDepthMask(GL_TRUE);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_DEPTH_TEST);
    if (!state.camera)
        return;

    // The desktop rebuilds inside the first view's surface drawing; nothing
    // drawn before it depends on the mesh, so rebuilding first is the same.
    const bool rebuilding = state.mesh.dirty;
    state.mesh.prepare(state.halfStrips);
    uploadSurface(state, rebuilding);
    if (state.look.textured()) {
        surface.useGridParameters(state.halfStrips);
        bindOriginTexture(state);
    }
    if (state.look.hasLines())
        originLines.refresh(state.mesh, state.halfStrips, state.look);

    const int views = state.stereo ? 2 : 1;
    for (int view = 0; view < views; ++view)
        drawView(state, view, pixelScale);
}

namespace {
// Seam-free copies take a block of vertices each; beyond this many vertices
// in all (about 100 MB) the page keeps the grid once and turns each copy on
// the GPU instead.
constexpr long maxSeamFreeVertices = 4L << 20;

bool drawsSeamFree(const AppState& state)
{
    const SurfaceMesh& m = state.mesh;
    return state.seamFree &&
           static_cast<long>(surfaceCopyCount(m)) * m.gridRows() * m.gridColumns() <= maxSeamFreeVertices;
}
}

// As the desktop draws them (viewer/CurveStyle.h): the hidden parts thin and
// grey through every sheet, the parts in sight a black edge under a white
// core, and the triple points over everything.
void WebRenderer::drawDoubleCurves(const AppState& state, const CurveDisplay& curves, const Matrix4& projection,
                                   const Matrix4& viewing, float pixelScale)
{
    // The quads go to their buffer once a set; every pass and view draws
    // them from there.
    if (curveQuadsRevision != curves.revision) {
        std::vector<float> curveQuads;
        for (const Polyline& line : curves.lines)
            for (std::size_t i = 0; i + 5 < line.points.size(); i += 3) {
                const float* a = &line.points[i];
                const float* b = &line.points[i + 3];
                for (const auto& [end, side] : {std::pair{0, -1}, std::pair{0, 1}, std::pair{1, 1}, std::pair{0, -1},
                                                std::pair{1, 1}, std::pair{1, -1}}) {
                    curveQuads.insert(curveQuads.end(), a, a + 3);
                    curveQuads.insert(curveQuads.end(), b, b + 3);
                    curveQuads.insert(curveQuads.end(), {static_cast<float>(end), static_cast<float>(side)});
                }
            }
        glBindBuffer(GL_ARRAY_BUFFER, thickLineBuffer);
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(curveQuads.size() * sizeof(float)), curveQuads.data(),
                     GL_STATIC_DRAW);
        curveQuadVertices = static_cast<int>(curveQuads.size() / 8);
        curveQuadsRevision = curves.revision;
    }
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    glUseProgram(thickLineProgram);
    setMatrix(thickLineProgram, "projection", projection);
    setMatrix(thickLineProgram, "modelView", viewing);
    glUniform2f(glGetUniformLocation(thickLineProgram, "viewSize"), static_cast<float>(viewport[2]),
                static_cast<float>(viewport[3]));
    const auto drawLines = [&](float width, float grey) {
        glUniform1f(glGetUniformLocation(thickLineProgram, "width"), width * pixelScale);
        setVector(thickLineProgram, "color", grey, grey, grey);
        glBindVertexArray(thickLineArray);
        glDrawArrays(GL_TRIANGLES, 0, curveQuadVertices);
        glBindVertexArray(0);
    };
    for (const CurvePass& pass : curvePasses(state.alphaBlending)) {
        if (pass.depthTested)
            glEnable(GL_DEPTH_TEST);
        else
            glDisable(GL_DEPTH_TEST);
        drawLines(pass.width, pass.grey);
    }
    glUseProgram(markerProgram);
    setMatrix(markerProgram, "projection", projection);
    setMatrix(markerProgram, "modelView", viewing);
    glDisable(GL_DEPTH_TEST);
    for (const auto& [size, grey] : {std::pair{triplePointRing, 0.0f}, std::pair{triplePointDot, 1.0f}}) {
        glUniform1f(glGetUniformLocation(markerProgram, "pointSize"), size * pixelScale);
        setVector(markerProgram, "color", grey, grey, grey);
        streamAndDraw(lineArray, lineBuffer, curves.markers, GL_POINTS, 3);
    }
    glEnable(GL_DEPTH_TEST);
}

void WebRenderer::uploadSurface(const AppState& state, bool rebuilt)
{
    const SurfaceMesh& m = state.mesh;
    const bool seamFree = drawsSeamFree(state);
    // Seam-free blocks change with the copies shown, not only with the grid.
    const int copyKey = seamFree ? m.hemispheres * 64 + m.aroundShown() : 0;
    if (!rebuilt && seamFree == uploadedSeamFree && copyKey == uploadedCopyKey)
        return;
    uploadedSeamFree = seamFree;
    uploadedCopyKey = copyKey;
    if (!seamFree) {
        surface.upload(m.grid, m.gridRows(), m.gridColumns(), m.gridBlocks());
        return;
    }
    SeamFreeSurface seams;
    seams.build(m, state.halfStrips);
    const std::size_t block = static_cast<std::size_t>(seams.rows) * seams.columns;
    std::vector<SurfaceVertex> vertices(block * seams.copies);
    std::vector<SurfaceVertex*> rows;
    for (int c = 0; c < seams.copies; ++c) {
        seams.fillCopy(m, c, vertices.data() + block * c);
        for (int r = 0; r < seams.rows; ++r)
            rows.push_back(vertices.data() + block * c + static_cast<std::size_t>(r) * seams.columns);
    }
    surface.upload(rows.data(), seams.rows, seams.columns, seams.copies);
}

void WebRenderer::drawView(AppState& state, int view, float pixelScale)
{
    Camera& camera = *state.camera;
    const auto scaled = [pixelScale](int pixels) { return static_cast<GLint>(std::lround(pixels * pixelScale)); };
    if (state.stereo) {
        const int w = camera.windowWidth;
        glViewport(scaled(view * w), 0, scaled((view + 1) * w) - scaled(view * w), scaled(camera.windowHeight));
    } else {
        // The camera's rectangle, rows flipped to count from the bottom.
        const int x0 = camera.viewportLeft;
        const int y0 = camera.windowHeight - camera.viewportBottom - 1;
        const int x1 = camera.viewportRight + 1;
        const int y1 = camera.windowHeight - camera.viewportTop;
        glViewport(scaled(x0), scaled(y0), scaled(x1) - scaled(x0), scaled(y1) - scaled(y0));
    }

    const EyeMode eye = !state.stereo ? MonoEye : view == 1 ? RightEye : LeftEye;
    const CameraProjection lens = camera.projection(eye, state.stereoDistance, state.orthographic);
    Matrix4 projection;
    if (lens.orthographic)
        projection.setOrthographic(lens.left, lens.right, lens.bottom, lens.top, lens.nearPlane, lens.farPlane);
    else
        projection.setFrustum(lens.left, lens.right, lens.bottom, lens.top, lens.nearPlane, lens.farPlane);
    Matrix4 viewing;
    viewing.setLookAtFrame(lens.eyePosition, lens.target, lens.up, false);

    glUseProgram(plainProgram);
    setMatrix(plainProgram, "projection", projection);
    setMatrix(plainProgram, "modelView", viewing);
    drawDecorations(state, camera, plainProgram, lineArray, lineBuffer);

    // The sampled strip winds clockwise seen from its front (outer) side.
    glFrontFace(GL_CW);
    if (state.cullingEnabled) {
        glEnable(GL_CULL_FACE);
        glCullFace(state.cullBackFaces ? GL_BACK : GL_FRONT);
    } else {
        glDisable(GL_CULL_FACE);
    }
    if (state.alphaBlending) {
        // Every layer of the surface adds its light, seen through the others.
        glBlendFunc(GL_ONE, GL_ONE);
        glEnable(GL_BLEND);
        glDisable(GL_DEPTH_TEST);
    }

    const int mode = state.displayMode;
    const bool textured = state.look.textured() && mode >= 2;
    const bool lines = state.look.hasLines() || state.doubleCurves;
    GLuint program = plainProgram;
    if (mode == 1) {
        program = wireProgram;
        glUseProgram(program);
        glUniform1i(glGetUniformLocation(program, "cullMode"),
                    !state.cullingEnabled ? 0 : state.cullBackFaces ? 1 : 2);
        setVector(program, "color", 1, 1, 1);
    } else if (mode >= 2) {
        program = state.smoothShading ? smoothProgram : flatProgram;
        glUseProgram(program);
        const SurfaceMaterial material = surfaceMaterial(state);
        const float* front = material.frontDiffuse;
        const float* back = material.backDiffuse;
        setVector(program, "frontDiffuse", front[0], front[1], front[2]);
        setVector(program, "backDiffuse", back[0], back[1], back[2]);
        setVector(program, "specular", material.specular[0], material.specular[1], material.specular[2]);
        glUniform1f(glGetUniformLocation(program, "shininess"), material.shininess);
        // A world position, taken into this view's eye space.
        const Vector3 light = viewing * surfaceLightPosition(camera);
        setVector(program, "lightPosition", light.x, light.y, light.z);
        glUniform1i(glGetUniformLocation(program, "textured"), textured ? 1 : 0);
        glUniform1i(glGetUniformLocation(program, "bands"), state.look.bands != BandKind::None ? 1 : 0);
        glUniform1i(glGetUniformLocation(program, "origin"), 1);
    } else {
        setVector(program, "color", 1, 1, 1);
    }
    setMatrix(program, "projection", projection);

    if (lines) {
        glPolygonOffset(lineOffsetFactor, lineOffsetUnits);
        glEnable(GL_POLYGON_OFFSET_FILL);
    }
    const SurfaceMesh& mesh = state.mesh;
    const Vector3 yAxis(0, 1, 0, 1);
    const Vector3 zAxis(0, 0, 1, 1);
    const int copies = surfaceCopyCount(mesh);
    const bool seamFree = uploadedSeamFree;
    for (int i = 0; i < copies; ++i) {
        const SurfaceCopy copy = surfaceCopy(mesh, i);
        if (seamFree) {
            setMatrix(program, "modelView", viewing);
        } else {
            const Matrix4 hemisphere = viewing * turn(copyFlipDegrees(copy), yAxis);
            setMatrix(program, "modelView", hemisphere * turn(copyTurnDegrees(copy), zAxis));
        }
        if (textured) {
            const OriginTextureTransform o = copyTextureTransform(copy);
            const float m[9] = {float(o.su), float(o.tu), 0, float(o.sv), float(o.tv), 0, float(o.s0), float(o.t0), 1};
            glUniformMatrix3fv(glGetUniformLocation(program, "originTransform"), 1, GL_FALSE, m);
        }
        surface.draw(mode, copy.hemisphere, seamFree ? i : copy.block);
    }
    if (lines)
        glDisable(GL_POLYGON_OFFSET_FILL);

    if (state.alphaBlending) {
        glDisable(GL_BLEND);
        glEnable(GL_DEPTH_TEST);
    }
    glDisable(GL_CULL_FACE);
    if (state.look.hasLines()) {
        float p[16], v[16];
        std::copy(projection.data(), projection.data() + 16, p);
        std::copy(viewing.data(), viewing.data() + 16, v);
        drawOriginLines(state, p, v, pixelScale);
    }
    if (shownCurves)
        drawDoubleCurves(state, *shownCurves, projection, viewing, pixelScale);

    if (!state.showText)
        return;
    // White text over the view, depth-tested at the overlay's middle depth
    // against what the surface left, as on the desktop.
    char line[headsUpLineSize];
    std::vector<float> quads;
    formatTimeLine(state, line, sizeof line);
    appendLine(quads, timeLineY, line, camera.windowHeight);
    if (state.alphaBlending) {
        formatAlphaLine(state, line, sizeof line);
        appendLine(quads, alphaLineY, line, camera.windowHeight);
    }
    if (state.stereo) {
        formatStereoLine(state, line, sizeof line);
        appendLine(quads, stereoLineY, line, camera.windowHeight);
    }

    glUseProgram(textProgram);
    glUniform2f(glGetUniformLocation(textProgram, "viewSize"), static_cast<float>(camera.windowWidth),
                static_cast<float>(camera.windowHeight));
    glUniform1i(glGetUniformLocation(textProgram, "font"), 0);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, fontTexture);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    streamAndDraw(textArray, textBuffer, quads, GL_TRIANGLES, 4);
    if (shownCurves) {
        const CurveDisplay& curves = *shownCurves;
        // Lower than the others, where the surface often reaches: drawn over
        // it rather than behind it, as on the desktop.
        quads.clear();
        formatCurvesLine(static_cast<int>(curves.set.curves.size()), static_cast<int>(curves.set.triplePoints.size()),
                         line, sizeof line);
        appendLine(quads, curvesLineY, line, camera.windowHeight);
        glDisable(GL_DEPTH_TEST);
        streamAndDraw(textArray, textBuffer, quads, GL_TRIANGLES, 4);
        glEnable(GL_DEPTH_TEST);
    }
    glDisable(GL_BLEND);
}
