#include "viewer/SurfaceOptions.h"

#include <cstring>

#include "eversion/RuledSurface.h"
#include "viewer/AppState.h"

const char* const surfaceUsage =
    "  --method corrugations|ruled\n"
    "                         the eversion: five stages of corrugations (the default) or\n"
    "                         seven steps of ruled surfaces through a halfway model\n"
    "  --lobes N              the ruled eversion's lobes, 2..5 (2)\n"
    "  --double-curves        the curves where the surface passes through itself, and\n"
    "                         the points where three of its sheets meet\n";

int parseSurfaceOption(int argc, const char* const* argv, int i, SurfaceOptions& options, std::string& error)
{
    const char* option = argv[i];
    const char* word = i + 1 < argc ? argv[i + 1] : nullptr;
    const std::string value = word ? word : "";
    if (std::strcmp(option, "--method") == 0) {
        if (!methodFromName(value, options.method)) {
            error = "--method is corrugations or ruled, not '" + value + "'";
            return -1;
        }
        return 2;
    }
    if (std::strcmp(option, "--double-curves") == 0) {
        options.doubleCurves = true;
        return 1;
    }
    if (std::strcmp(option, "--lobes") == 0) {
        // One digit and nothing else: the whole range is 2 to 5.
        if (value.size() != 1 || value[0] < '0' + minLobes || value[0] > '0' + maxLobes) {
            error = "--lobes needs a whole number of lobes from " + std::to_string(minLobes) + " to " +
                    std::to_string(maxLobes) + ", not '" + value + "'";
            return -1;
        }
        options.lobes = value[0] - '0';
        options.lobesGiven = true;
        return 2;
    }
    return 0;
}

std::string checkSurfaceOptions(const SurfaceOptions& options)
{
    if (options.lobesGiven && options.method != EversionMethod::Ruled)
        return "--lobes is only for --method ruled";
    return "";
}

void applySurfaceOptions(const SurfaceOptions& options, AppState& state)
{
    state.mesh.setMethod(options.method);
    state.mesh.setLobes(options.lobes);
    state.doubleCurves = options.doubleCurves;
}
