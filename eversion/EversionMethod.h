#pragma once
// The two ways the viewer turns the sphere inside out: the five-stage
// corrugation eversion (Eversion.h) and the seven-step ruled-surface
// eversion (RuledSurface.h). Both run from the sphere at t = 0 to the sphere
// with every point at its antipode at t = 1, and both give every point its
// origin on the sphere in the same way (Origin.h), so everything drawn by
// origin works on either.
#include <string_view>

enum class EversionMethod { Corrugations, Ruled };

// The names options and links spell the methods with.
inline const char* methodName(EversionMethod method)
{
    return method == EversionMethod::Ruled ? "ruled" : "corrugations";
}

// False, and `method` untouched, for any other name.
inline bool methodFromName(std::string_view name, EversionMethod& method)
{
    if (name == "corrugations")
        method = EversionMethod::Corrugations;
    else if (name == "ruled")
        method = EversionMethod::Ruled;
    else
        return false;
    return true;
}
