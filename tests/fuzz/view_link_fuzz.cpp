// libFuzzer target for the view-link decoder: any bytes, any length. The
// sanitizers catch memory and undefined-behaviour faults; the checks below
// catch a decoder that takes what it should have repaired.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "viewer/ViewLink.h"

namespace {
void require(bool condition)
{
    if (!condition)
        std::abort();
}
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view fragment(reinterpret_cast<const char*>(data), size);
    std::string warning;
    const ViewLink view = decodeViewLink(fragment, ViewLink{}, warning);
    require(warning.find('\n') == std::string::npos && warning.size() < 400);
    require(view.t >= 0 && view.t <= 1);
    require(view.timeStepDenominator >= 1 && view.timeStepDenominator <= linkMaxDenominator &&
            (view.timeStepDenominator & (view.timeStepDenominator - 1)) == 0);
    require(view.totalStrips >= 1 && view.totalStrips <= linkMaxStrips);
    require(view.stripsShown >= 1 && view.stripsShown <= view.totalStrips);
    require(view.hemispheres == 1 || view.hemispheres == 2);
    require(view.latitudinalPatches >= 2 && view.latitudinalPatches <= linkMaxPatches);
    require(view.longitudinalPatches >= 2 && view.longitudinalPatches <= linkMaxPatches);
    require(view.displayMode >= 0 && view.displayMode <= 4);
    require(view.alpha >= 0 && view.alpha <= 1 && std::isfinite(view.stereoDistance));
    require(view.colours != ColourScheme::Image);  // the base has no picture
    require(view.bandCount >= 2 && view.bandCount <= linkMaxBands);
    require(view.graticuleDegrees == 0 || (view.graticuleDegrees >= 1 && view.graticuleDegrees <= 90));
    require(view.trackCount >= 0 && view.trackCount <= linkMaxTracks);
    for (int i = 0; i < view.trackCount; ++i)
        require(std::fabs(view.tracks[i].latitude) <= 90 && std::fabs(view.tracks[i].longitude) <= 180);
    for (int i = 0; i < 3; ++i)
        require(std::isfinite(view.eye[i]) && std::isfinite(view.target[i]) && std::isfinite(view.up[i]));

    // What the decoder accepted encodes to a link that decodes cleanly to
    // the same text.
    const std::string link = encodeViewLink(view);
    std::string again;
    require(encodeViewLink(decodeViewLink(link, ViewLink{}, again)) == link && again.empty());
    return 0;
}
