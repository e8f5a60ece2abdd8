// The row-by-row sampler against the per-point reference: every float of
// every vertex equal, on one thread and on several, across the stages, at and
// around the stage boundaries, on tiny and lopsided grids, for 1 to 24 strips
// and for half strips.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "eversion/Eversion.h"

#if defined(_OPENMP)
#include <omp.h>
#endif

namespace {
constexpr double schedule[5] = {0.0, 0.1, 0.23, 0.6, 0.93};

struct Grid {
    int rows, columns;
    std::vector<SurfaceVertex> cells;
    std::vector<SurfaceVertex*> table;

    Grid(int uCount, int vCount)
        : rows(uCount + 1), columns(vCount + 1), cells(static_cast<size_t>(rows) * columns), table(rows)
    {
        // A pattern no sampler writes, so a skipped vertex cannot pass.
        std::memset(cells.data(), 0xA5, cells.size() * sizeof(SurfaceVertex));
        for (int r = 0; r < rows; ++r)
            table[r] = cells.data() + static_cast<size_t>(r) * columns;
    }
};

// The first differing vertex, or -1.
long firstDifference(const Grid& a, const Grid& b)
{
    for (size_t k = 0; k < a.cells.size(); ++k)
        if (std::memcmp(&a.cells[k], &b.cells[k], sizeof(SurfaceVertex)) != 0)
            return static_cast<long>(k);
    return -1;
}

#if defined(_OPENMP)
const int defaultThreads = omp_get_max_threads();
void setThreads(int n) { omp_set_num_threads(n); }
#else
const int defaultThreads = 1;
void setThreads(int) {}
#endif

TEST(RowSampler, EqualsThePerPointPathBitForBit)
{
    // The stages' middles, each start time, a hair either side of it, and
    // both ends of the eversion.
    const double times[] = {0,     0.05,  0.0999999, 0.1,  0.1000001, 0.16, 0.23, 0.375,
                            0.5999999, 0.6, 0.75,  0.93, 0.9300001, 0.97, 1};
    const struct {
        int uCount, vCount;
    } grids[] = {{2, 2}, {1000, 3}, {3, 700}, {12, 12}, {64, 64}, {7, 401}};
    const int strips[] = {1, 2, 3, 8, 13, 24};
    // One thread, as many as OpenMP starts by default, and more than cores.
    const int threadCounts[] = {1, defaultThreads, 3};

    int cases = 0;
    for (const double time : times) {
        const StageAtTime stage = stageAtTime(time, schedule[0], schedule[1], schedule[2], schedule[3], schedule[4]);
        ASSERT_NE(stage.point, nullptr);
        for (const auto& g : grids)
            for (const int stripCount : strips)
                for (const double vMax : {1.0, 0.5}) {
                    Grid reference(g.uCount, g.vCount);
                    sampleSurface(stage.point, 0, 1, g.uCount, 0, vMax, g.vCount, stage.fraction,
                                  reference.table.data(), stripCount);
                    for (const int threads : threadCounts) {
                        setThreads(threads);
                        Grid rows(g.uCount, g.vCount);
                        evaluateEversion(rows.table.data(), time, stripCount, 0, g.uCount, 1, 0, g.vCount, vMax,
                                         schedule[0], schedule[1], schedule[2], schedule[3], schedule[4]);
                        const long k = firstDifference(reference, rows);
                        EXPECT_EQ(k, -1) << "t = " << time << ", " << g.uCount << " x " << g.vCount << ", "
                                         << stripCount << " strips, vMax " << vMax << ", " << threads
                                         << " threads: vertex (" << k / rows.columns << ", "
                                         << k % rows.columns << ")";
                        ++cases;
                    }
                }
    }
    setThreads(defaultThreads);
    RecordProperty("cases", cases);
    EXPECT_EQ(cases, 15 * 6 * 6 * 2 * 3);
}

// Ranges that do not start at 0 still probe the pole at v = 0, and reversed
// or degenerate counts leave the grid alone in both samplers.
TEST(RowSampler, OffsetRangesAndEmptyCounts)
{
    const StageAtTime stage = stageAtTime(0.4, schedule[0], schedule[1], schedule[2], schedule[3], schedule[4]);
    Grid reference(9, 11), rows(9, 11);
    sampleSurface(stage.point, 0.3, 1.7, 9, 0.25, 0.9, 11, stage.fraction, reference.table.data(), 5);
    sampleSurfaceRows(stage.row, 0.3, 1.7, 9, 0.25, 0.9, 11, stage.fraction, rows.table.data(), 5);
    EXPECT_EQ(firstDifference(reference, rows), -1);

    Grid untouched(2, 2), emptied(2, 2);
    sampleSurfaceRows(stage.row, 0, 1, 0, 0, 1, 2, stage.fraction, emptied.table.data(), 8);
    sampleSurfaceRows(stage.row, 0, 1, 2, 0, 1, -1, stage.fraction, emptied.table.data(), 8);
    EXPECT_EQ(firstDifference(untouched, emptied), -1);
}
}  // namespace
