#include "curves/CurveSetBytes.h"

#include <cmath>
#include <cstring>

#include "eversion/RuledSurface.h"

namespace {
// Distinct tags, so that an answer is never read as a request or the other
// way round, and a stray message is refused at its first four bytes.
constexpr std::int32_t requestTag = 0x51525656;  // "VVRQ" in memory
constexpr std::int32_t answerTag = 0x53435656;   // "VVCS"
constexpr std::size_t pointDoubles = 7;
constexpr std::size_t tripleDoubles = 9;

struct Writer {
    std::vector<std::uint8_t> bytes;
    template <typename T>
    void put(T value)
    {
        std::uint8_t raw[sizeof value];
        std::memcpy(raw, &value, sizeof value);
        bytes.insert(bytes.end(), raw, raw + sizeof value);
    }
    void putCount(std::size_t n) { put(static_cast<std::int32_t>(n)); }
};

struct Reader {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t at = 0;
    std::size_t left() const { return size - at; }
    template <typename T>
    bool get(T& value)
    {
        if (left() < sizeof value)
            return false;
        std::memcpy(&value, data + at, sizeof value);
        at += sizeof value;
        return true;
    }
    // A count of items of `itemBytes` each that the bytes left can hold.
    bool getCount(std::size_t itemBytes, std::size_t& n)
    {
        std::int32_t raw;
        if (!get(raw) || raw < 0 || static_cast<std::size_t>(raw) > left() / itemBytes)
            return false;
        n = static_cast<std::size_t>(raw);
        return true;
    }
};

void putRequest(Writer& w, const DoubleCurveRequest& r)
{
    w.put(requestTag);
    w.put(static_cast<std::int32_t>(r.method == EversionMethod::Ruled ? 1 : 0));
    w.put(static_cast<std::int32_t>(r.around));
    w.put(static_cast<std::int32_t>(r.latitudinalPatches));
    w.put(static_cast<std::int32_t>(r.longitudinalPatches));
    w.put(r.t);
}

bool getRequest(Reader& in, DoubleCurveRequest& r)
{
    std::int32_t tag, method, around, latitudinal, longitudinal;
    double t;
    if (!in.get(tag) || !in.get(method) || !in.get(around) || !in.get(latitudinal) || !in.get(longitudinal) ||
        !in.get(t))
        return false;
    if (tag != requestTag || (method != 0 && method != 1) || latitudinal < 2 || longitudinal < 2 ||
        !(t >= 0 && t <= 1))
        return false;
    r.method = method == 1 ? EversionMethod::Ruled : EversionMethod::Corrugations;
    if (r.method == EversionMethod::Ruled ? around < minLobes || around > maxLobes : around < 1)
        return false;
    r.around = around;
    r.latitudinalPatches = latitudinal;
    r.longitudinalPatches = longitudinal;
    r.t = t;
    return true;
}

void putOrigin(Writer& w, const Origin& o)
{
    w.put(o.latitude);
    w.put(o.longitude);
}

bool getOrigin(Reader& in, Origin& o)
{
    return in.get(o.latitude) && in.get(o.longitude);
}
}

std::vector<std::uint8_t> encodeCurveRequest(const DoubleCurveRequest& request)
{
    Writer w;
    putRequest(w, request);
    return std::move(w.bytes);
}

bool decodeCurveRequest(const std::uint8_t* data, std::size_t size, DoubleCurveRequest& request)
{
    Reader in{data, data ? size : 0};
    return getRequest(in, request) && in.left() == 0;
}

std::vector<std::uint8_t> encodeCurveAnswer(const DoubleCurveRequest& request, const DoubleCurveSet& set)
{
    Writer w;
    std::size_t points = 0;
    for (const DoubleCurve& curve : set.curves)
        points += curve.points.size();
    w.bytes.reserve(4 + 28 + 4 + 5 * set.curves.size() + 8 * pointDoubles * points + 4 +
                    8 * tripleDoubles * set.triplePoints.size());
    w.put(answerTag);
    putRequest(w, request);
    w.putCount(set.curves.size());
    for (const DoubleCurve& curve : set.curves) {
        w.putCount(curve.points.size());
        w.put(static_cast<std::uint8_t>(curve.closed ? 1 : 0));
        for (const CurvePoint& p : curve.points) {
            for (double x : p.position)
                w.put(x);
            putOrigin(w, p.a);
            putOrigin(w, p.b);
        }
    }
    w.putCount(set.triplePoints.size());
    for (const TriplePoint& p : set.triplePoints) {
        for (double x : p.position)
            w.put(x);
        for (const Origin& o : p.origins)
            putOrigin(w, o);
    }
    return std::move(w.bytes);
}

bool decodeCurveAnswer(const std::uint8_t* data, std::size_t size, DoubleCurveRequest& request, DoubleCurveSet& set)
{
    Reader in{data, data ? size : 0};
    std::int32_t tag;
    std::size_t curves;
    // A curve takes at least its count and its flag.
    if (!in.get(tag) || tag != answerTag || !getRequest(in, request) || !in.getCount(5, curves))
        return false;
    set = DoubleCurveSet{};
    set.curves.resize(curves);
    for (DoubleCurve& curve : set.curves) {
        std::size_t points;
        std::uint8_t closed;
        if (!in.getCount(sizeof(double) * pointDoubles, points) || !in.get(closed) || closed > 1)
            return false;
        curve.closed = closed == 1;
        curve.points.resize(points);
        for (CurvePoint& p : curve.points)
            if (!in.get(p.position[0]) || !in.get(p.position[1]) || !in.get(p.position[2]) || !getOrigin(in, p.a) ||
                !getOrigin(in, p.b))
                return false;
    }
    std::size_t triples;
    if (!in.getCount(sizeof(double) * tripleDoubles, triples))
        return false;
    set.triplePoints.resize(triples);
    for (TriplePoint& p : set.triplePoints)
        if (!in.get(p.position[0]) || !in.get(p.position[1]) || !in.get(p.position[2]) ||
            !getOrigin(in, p.origins[0]) || !getOrigin(in, p.origins[1]) || !getOrigin(in, p.origins[2]))
            return false;
    return in.left() == 0;
}
