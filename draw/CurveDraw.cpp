#include "draw/CurveDraw.h"

#include <GL/gl.h>

#include <utility>

#include "curves/CurveDisplay.h"
#include "draw/CurvePrefetch.h"
#include "viewer/AppState.h"
#include "viewer/CurveStyle.h"

void drawDoubleCurves(const AppState& state, CurveDisplay& curves, CurvePrefetch& prefetch)
{
    prefetch.refresh(curves, state.mesh);
    glDisable(GL_LIGHTING);
    const auto drawLines = [&](float width, float grey) {
        glLineWidth(width);
        glColor3f(grey, grey, grey);
        for (const Polyline& line : curves.lines) {
            glBegin(GL_LINE_STRIP);
            for (size_t i = 0; i + 2 < line.points.size(); i += 3)
                glVertex3fv(&line.points[i]);
            glEnd();
        }
    };
    for (const CurvePass& pass : curvePasses(state.alphaBlending)) {
        if (pass.depthTested)
            glEnable(GL_DEPTH_TEST);
        else
            glDisable(GL_DEPTH_TEST);
        drawLines(pass.width, pass.grey);
    }
    glLineWidth(1);
    glDisable(GL_DEPTH_TEST);
    for (const auto& [size, grey] : {std::pair{triplePointRing, 0.0f}, std::pair{triplePointDot, 1.0f}}) {
        glPointSize(size);
        glColor3f(grey, grey, grey);
        glBegin(GL_POINTS);
        for (size_t k = 0; k + 2 < curves.markers.size(); k += 3)
            glVertex3fv(&curves.markers[k]);
        glEnd();
    }
    glPointSize(1);
    glEnable(GL_DEPTH_TEST);
}
