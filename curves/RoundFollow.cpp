#include "curves/RoundFollow.h"

RoundWay followRound(const ExactSurface& surface, const TracePoint& start, const FollowSteps& steps, int runs)
{
    RoundWay round;
    std::vector<TracePoint>& way = round.points;
    way.push_back(start);
    int made = 0;
    PinchWatch watch;
    bool pinched = false, backward = false;
    const bool ended = followInRuns(surface, start, steps, [&](const TracePoint& p, double& step) {
        const TracePoint& before = way.size() > 1 ? way[way.size() - 2] : start;
        backward = way.size() > 1 && dot(p.position - before.position, before.tail) <= 0;
        pinched = !backward && watch.ahead(surface, p);
        return backward || pinched || (++made > 3 && distance(p.position, start.position) <= step);
    }, way, runs);
    if (!ended || backward)
        return round;
    if (pinched) {
        round.end = RoundEnd::Pinch;
        round.pinch = watch.pinch;
        return round;
    }
    round.end = RoundEnd::Round;
    if (way.size() > 3 && distance(way.back().position, start.position) < steps.finest)
        way.pop_back();
    return round;
}

bool nearLoopOn(const Vec3& at, const OriginPair& sheets, const std::vector<TracePoint>& loop, double reach,
                double close)
{
    for (std::size_t i = 0; i < loop.size(); ++i)
        if (segmentDistance(at, loop[i].position, loop[(i + 1) % loop.size()].position) <= reach &&
            sameTwoSheets(sheets, {loop[i].ua, loop[i].ub}, close))
            return true;
    return false;
}
