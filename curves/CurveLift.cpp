#include "curves/CurveLift.h"

#include <algorithm>

Lift liftPath(const SurfaceSymmetry& symmetry, const CrossingPath& path)
{
    Lift lift;
    const int last = static_cast<int>(path.nodes.size()) - 1;
    // An open polyline is walked from an end that stops.
    const bool open = path.startEnd == PathEnd::Stops || path.finishEnd == PathEnd::Stops;
    const int startIndex = open && path.startEnd != PathEnd::Stops ? last : 0;
    const int startDirection = startIndex == 0 ? 1 : -1;
    lift.closed = !open;

    int index = startIndex, direction = startDirection, element = 0;
    std::vector<int> startFrames;
    // Every state is visited once per lift, so the group's order bounds the
    // number of rounds.
    const std::size_t most = (path.nodes.size() + 1) * 2 * static_cast<std::size_t>(symmetry.order());
    while (lift.steps.size() < most) {
        const int frame = symmetry.compose(element, path.frames[index]);
        lift.steps.push_back({index, frame, direction});
        if (index == startIndex)
            startFrames.push_back(frame);
        if ((direction > 0 && index < last) || (direction < 0 && index > 0)) {
            index += direction;
            continue;
        }
        const PathEnd end = direction > 0 ? path.finishEnd : path.startEnd;
        if (end == PathEnd::Stops)
            break;
        if (end == PathEnd::Closes) {
            element = symmetry.compose(element, path.holonomy);
            index = 0;
        } else {
            // Back along the path, reflected by the fold's half turn as seen
            // in the path's frame.
            const int fold = direction > 0 ? path.finishFold : path.startFold;
            const int f = path.frames[index];
            element = symmetry.compose(element, symmetry.compose(f, symmetry.compose(fold, symmetry.inverse(f))));
            direction = -direction;
        }
        if (index == startIndex && direction == startDirection && element == 0)
            break;
    }
    // g maps the lift onto itself exactly when it takes the first step's
    // node to one of the lift's own visits of that node.
    const int first = symmetry.inverse(path.frames[startIndex]);
    for (const int frame : startFrames)
        lift.stabilizer.push_back(symmetry.compose(frame, first));
    std::sort(lift.stabilizer.begin(), lift.stabilizer.end());
    lift.stabilizer.erase(std::unique(lift.stabilizer.begin(), lift.stabilizer.end()), lift.stabilizer.end());
    return lift;
}

std::vector<int> liftImages(const SurfaceSymmetry& symmetry, const Lift& lift)
{
    std::vector<int> images;
    std::vector<char> covered(static_cast<std::size_t>(symmetry.order()), 0);
    for (int g = 0; g < symmetry.order(); ++g) {
        if (covered[g])
            continue;
        images.push_back(g);
        for (const int s : lift.stabilizer)
            covered[symmetry.compose(g, s)] = 1;
    }
    return images;
}
