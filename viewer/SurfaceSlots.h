#pragma once
// Where a grid sample of a copy (SurfaceCopy.h) sits on the parameter
// sphere: one number per point of the sphere that the sampling reaches, the
// same for every copy and grid place that samples that point (a strip's or
// lune's last column and the next one's first, the equator rows of the two
// hemispheres, every sample of a pole row). Both the weld and the seam-free
// copies join samples by it, never by distance.
//
// Longitudes are counted in units of one column of a half-width strip (or of
// a full strip when the strips are full), so that every sampled column has a
// whole-number longitude shared by all strips and both hemispheres.
struct SurfaceSlots {
    int rows = 0;            // grid rows: 0 the pole, rows - 1 the equator
    long long around = 0;    // longitude units once around
    long long perStrip = 0;  // longitude units a strip or lune

    // Grid rows and columns of one block, strips or lobes around.
    SurfaceSlots(int gridRows, int gridColumns, int stripsAround, bool halfStrips)
        : rows(gridRows), perStrip(halfStrips ? 2LL * (gridColumns - 1) : gridColumns - 1)
    {
        around = perStrip * stripsAround;
    }

    long long count() const { return 2 + around * (1 + 2LL * (rows - 2)); }

    long long slot(int hemisphere, int strip, int row, int column) const
    {
        if (row == 0)
            return hemisphere;
        // Strip s of the second hemisphere covers the longitudes of the
        // first's strip s, its columns running the other way (Origin.h).
        long long g = hemisphere == 0 ? strip * perStrip + column : (strip + 1) * perStrip - column;
        g %= around;
        if (g < 0)
            g += around;
        if (row == rows - 1)
            return 2 + g;
        return 2 + around + (static_cast<long long>(hemisphere) * (rows - 2) + (row - 1)) * around + g;
    }
};
