// The curve sets the page's worker hands back: a set decoded from its bytes
// is the set found, to the bit, and bytes that were cut short or damaged are
// refused rather than read past their end.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <string>

#include "curves/CurveSetBytes.h"

namespace {
bool sameBits(double x, double y)
{
    return std::memcmp(&x, &y, sizeof x) == 0;
}

bool sameOrigin(const Origin& x, const Origin& y)
{
    return sameBits(x.latitude, y.latitude) && sameBits(x.longitude, y.longitude);
}

void expectSameBits(const DoubleCurveSet& x, const DoubleCurveSet& y)
{
    ASSERT_EQ(x.curves.size(), y.curves.size());
    for (std::size_t k = 0; k < x.curves.size(); ++k) {
        ASSERT_EQ(x.curves[k].closed, y.curves[k].closed) << "curve " << k;
        ASSERT_EQ(x.curves[k].points.size(), y.curves[k].points.size()) << "curve " << k;
        for (std::size_t i = 0; i < x.curves[k].points.size(); ++i) {
            const CurvePoint& p = x.curves[k].points[i];
            const CurvePoint& q = y.curves[k].points[i];
            for (int d = 0; d < 3; ++d)
                ASSERT_TRUE(sameBits(p.position[d], q.position[d])) << "curve " << k << " point " << i;
            ASSERT_TRUE(sameOrigin(p.a, q.a) && sameOrigin(p.b, q.b)) << "curve " << k << " point " << i;
        }
    }
    ASSERT_EQ(x.triplePoints.size(), y.triplePoints.size());
    for (std::size_t k = 0; k < x.triplePoints.size(); ++k)
        for (int d = 0; d < 3; ++d) {
            ASSERT_TRUE(sameBits(x.triplePoints[k].position[d], y.triplePoints[k].position[d])) << "triple " << k;
            ASSERT_TRUE(sameOrigin(x.triplePoints[k].origins[d], y.triplePoints[k].origins[d])) << "triple " << k;
        }
}

DoubleCurveRequest request(EversionMethod method, int around, double t)
{
    DoubleCurveRequest r;
    r.method = method;
    r.around = around;
    r.t = t;
    r.latitudinalPatches = 12;
    r.longitudinalPatches = 13;
    return r;
}

TEST(CurveSetBytes, RealSetsComeBackBitForBit)
{
    for (const DoubleCurveRequest& r :
         {request(EversionMethod::Corrugations, 8, 0.5), request(EversionMethod::Ruled, 2, 0.5)}) {
        SCOPED_TRACE(methodName(r.method));
        const DoubleCurveSet found = findDoubleCurves(r);
        ASSERT_FALSE(found.curves.empty());
        const std::vector<std::uint8_t> bytes = encodeCurveAnswer(r, found);
        DoubleCurveRequest answered;
        DoubleCurveSet decoded;
        ASSERT_TRUE(decodeCurveAnswer(bytes.data(), bytes.size(), answered, decoded));
        EXPECT_EQ(answered, r);
        expectSameBits(decoded, found);

        const std::vector<std::uint8_t> asked = encodeCurveRequest(r);
        DoubleCurveRequest back;
        ASSERT_TRUE(decodeCurveRequest(asked.data(), asked.size(), back));
        EXPECT_TRUE(back == r && sameBits(back.t, r.t));
    }
}

// One small set with a closed and an open curve and a triple point, whose
// fields sit at known places.
DoubleCurveSet smallSet()
{
    DoubleCurveSet set;
    set.curves.resize(2);
    set.curves[0].closed = true;
    set.curves[0].points.resize(3);
    set.curves[1].points.resize(2);
    set.triplePoints.resize(1);
    return set;
}

// Byte offsets in an answer: the tag, the request, then the curves' count.
constexpr std::size_t requestAt = 4, curvesAt = 32, firstCurveAt = 36, firstFlagAt = 40;

TEST(CurveSetBytes, DamagedOrShortBytesAreRefused)
{
    const DoubleCurveRequest r = request(EversionMethod::Ruled, 3, 0.25);
    const std::vector<std::uint8_t> good = encodeCurveAnswer(r, smallSet());
    DoubleCurveRequest answered;
    DoubleCurveSet decoded;
    ASSERT_TRUE(decodeCurveAnswer(good.data(), good.size(), answered, decoded));

    for (std::size_t cut = 0; cut < good.size(); ++cut)
        EXPECT_FALSE(decodeCurveAnswer(good.data(), cut, answered, decoded)) << "cut to " << cut << " bytes";
    std::vector<std::uint8_t> longer = good;
    longer.push_back(0);
    EXPECT_FALSE(decodeCurveAnswer(longer.data(), longer.size(), answered, decoded)) << "a byte left over";

    const auto int32At = [](std::size_t at, std::int32_t value) {
        return [at, value](std::vector<std::uint8_t>& b) { std::memcpy(b.data() + at, &value, sizeof value); };
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Damage {
        std::string what;
        std::function<void(std::vector<std::uint8_t>&)> apply;
    };
    const std::vector<Damage> damages = {
        {"a request's tag for an answer's", int32At(0, 0x51525656)},
        {"unknown method", int32At(requestAt + 4, 2)},
        {"lobes the ruled method does not take", int32At(requestAt + 8, 9)},
        {"one latitudinal patch", int32At(requestAt + 12, 1)},
        {"t not a number", [&](std::vector<std::uint8_t>& b) { std::memcpy(b.data() + requestAt + 20, &nan, 8); }},
        {"t past 1", [](std::vector<std::uint8_t>& b) { const double t = 1.5; std::memcpy(b.data() + requestAt + 20, &t, 8); }},
        {"more curves than bytes", int32At(curvesAt, 0x7fffffff)},
        {"negative curves", int32At(curvesAt, -1)},
        {"one curve fewer", int32At(curvesAt, 1)},
        {"more points than bytes", int32At(firstCurveAt, 0x7fffffff)},
        {"a point fewer", int32At(firstCurveAt, 2)},
        {"closed flag 2", [](std::vector<std::uint8_t>& b) { b[firstFlagAt] = 2; }},
        {"more triple points than bytes", int32At(good.size() - 72 - 4, 1000)},
    };
    for (const Damage& d : damages) {
        std::vector<std::uint8_t> bad = good;
        d.apply(bad);
        EXPECT_FALSE(decodeCurveAnswer(bad.data(), bad.size(), answered, decoded)) << d.what;
    }

    const std::vector<std::uint8_t> asked = encodeCurveRequest(r);
    DoubleCurveRequest back;
    for (std::size_t cut = 0; cut < asked.size(); ++cut)
        EXPECT_FALSE(decodeCurveRequest(asked.data(), cut, back)) << "request cut to " << cut << " bytes";
    EXPECT_FALSE(decodeCurveRequest(good.data(), good.size(), back)) << "an answer for a request";
    EXPECT_FALSE(decodeCurveRequest(nullptr, 28, back));
}
}
