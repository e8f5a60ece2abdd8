#pragma once
// What the surface shows of its origin (see Origin.h): a colour scheme,
// see-through bands, a graticule and the tracks of chosen points, and the
// equirectangular RGBA texture that carries the colours and bands to every
// front end. Angles in degrees. Colours are 8-bit RGBA; a texel's alpha is
// 255 where its band is drawn and 0 where the band is left out.
//
// Pure: the front ends read the picture file (PNG) themselves and hand its
// pixels in. Value types; the image is shared, not copied, between copies of
// the look.
#include <memory>
#include <string>
#include <vector>

#include "viewer/Origin.h"

enum class ColourScheme { Sides, Latitude, Longitude, Image };
enum class BandKind { None, Latitude, Longitude };

// Rows of RGBA pixels, the top row first.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgba;
};

struct OriginLook {
    ColourScheme colours = ColourScheme::Sides;
    std::string imagePath;                 // for ColourScheme::Image
    std::shared_ptr<const Picture> image;  // loaded by the front end
    BandKind bands = BandKind::None;
    int bandCount = 8;
    double graticuleDegrees = 0;  // 0: no graticule
    double lastGraticuleDegrees = 15;  // what the menu's toggle brings back
    std::vector<Origin> tracks;
    // A number no other texture content of this process has had, renewed
    // by touch() on every change that alters the texture, so a renderer
    // knows when to upload it again (0: the default look).
    long revision = 0;
    void touch();

    // The surface is drawn through the origin texture (not in the plain
    // two-sided colours alone).
    bool textured() const { return colours != ColourScheme::Sides || bands != BandKind::None; }
    bool hasLines() const { return graticuleDegrees > 0 || !tracks.empty(); }
};

// The colour maps, RGB in 0..1. latitude: from dark violet at the south pole
// through blue and green to yellow at the north pole, lightness rising
// evenly. longitude: a cyclic hue circle of even lightness, red at 0.
void latitudeColour(double latitude, float rgb[3]);
void longitudeColour(double longitude, float rgb[3]);

// Whether the band holding the origin is drawn: band k of N equal bands of
// latitude (from the south pole) or longitude (from -180) is drawn when k
// is even.
bool bandDrawn(const OriginLook& look, const Origin& origin);

// The origin texture of the look: 1024 x 512 texels for the colour maps, the
// picture's own size (at most 4096 wide) for an image, each texel the colour
// and band at its centre. The sides scheme is white, for the materials to
// tint.
Picture originTexture(const OriginLook& look);

// The lit material of a textured surface: white in front, half bright behind,
// so the texture's colours show and the side stays readable.
constexpr float texturedBackBrightness = 0.5f;

// A picture is equirectangular when it is twice as wide as it is tall.
// Returns an empty string when it is usable, else the reason.
std::string checkEquirectangular(const Picture& picture);

// The options every front end takes for the look, with the same names and
// meanings: --colours sides|latitude|longitude|image FILE.png, --bands
// latitude|longitude N, --graticule DEGREES, --track LAT,LON (repeatable),
// --orthographic. Reads the option at argv[i]; returns how many words it
// used (0 when argv[i] is none of these), or -1 with `error` set to one line
// (no program name, no newline) for a bad value.
int parseLookOption(int argc, const char* const* argv, int i, OriginLook& look, bool& orthographic,
                    std::string& error);

// The lines of usage text for these options.
extern const char* const lookUsage;
