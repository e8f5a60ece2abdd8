// The exporter's command line: the viewer's defaults when nothing is given,
// and the forms each option takes. Rejections are checked end to end
// (tests/e2e/test_export_errors.py), where the exit status and the absence
// of any file are visible too.
#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "export/ExportSettings.h"

namespace {
ParseOutcome parse(std::initializer_list<const char*> words)
{
    std::vector<const char*> argv = {"vedoze-vaderuve-export"};
    argv.insert(argv.end(), words);
    return parseExportArguments(static_cast<int>(argv.size()), argv.data());
}
}

TEST(ExportOptions, DefaultsAreTheViewersStartUp)
{
    const ParseOutcome p = parse({"image", "-o", "a.png"});
    ASSERT_TRUE(p.ok) << p.error;
    const ExportSettings& s = p.settings;
    EXPECT_EQ(s.format, OutputFormat::Png);
    EXPECT_EQ(s.time, 0);
    EXPECT_EQ(s.strips, 8);
    EXPECT_EQ(s.stripsShown, 8);
    EXPECT_EQ(s.hemispheres, 2);
    EXPECT_EQ(s.latitudinalPatches, 12);
    EXPECT_EQ(s.longitudinalPatches, 12);
    EXPECT_EQ(s.width, 512);
    EXPECT_EQ(s.height, 512);
    EXPECT_EQ(s.displayMode, 2);
    EXPECT_TRUE(s.text);
    EXPECT_FALSE(s.alphaBlending || s.stereo || s.flat || s.axes || s.target || s.halfStrips);
    EXPECT_EQ(s.cull, 0);
    EXPECT_EQ(s.samples, 0);
}

TEST(ExportOptions, FormsOfEachOption)
{
    ParseOutcome p = parse({"movie", "--stereo", "--patches", "20", "--frames", "3", "-o", "out/"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(p.settings.format, OutputFormat::PngSequence);
    // The viewer's stereo window is twice as wide; the distance is optional.
    EXPECT_EQ(p.settings.width, 1024);
    EXPECT_FLOAT_EQ(p.settings.stereoDistance, 0.1f);
    EXPECT_EQ(p.settings.latitudinalPatches, 20);
    EXPECT_EQ(p.settings.longitudinalPatches, 20);

    p = parse({"image", "--stereo", "-0.25", "--patches", "3x40", "--orbit", "-12.5,7", "--cull", "front",
               "--alpha", "0.5", "--mode", "rows", "--size", "640x480", "-o", "A.PNG"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_FLOAT_EQ(p.settings.stereoDistance, -0.25f);
    EXPECT_EQ(p.settings.latitudinalPatches, 3);
    EXPECT_EQ(p.settings.longitudinalPatches, 40);
    EXPECT_FLOAT_EQ(p.settings.orbitX, -12.5f);
    EXPECT_FLOAT_EQ(p.settings.orbitY, 7);
    EXPECT_EQ(p.settings.cull, 2);
    EXPECT_TRUE(p.settings.alphaBlending);
    EXPECT_EQ(p.settings.displayMode, 4);
    EXPECT_EQ(p.settings.width, 640);

    EXPECT_TRUE(parse({"mesh", "--help"}).help);
}

TEST(ExportOptions, VersionAnywhereStopsBeforeAnyCheck)
{
    // Whichever of --help and --version comes first wins; nothing else,
    // not even a bad option or a missing output, is looked at.
    const struct {
        std::initializer_list<const char*> words;
        bool help, version;
    } cases[] = {
        {{"--version"}, false, true},
        {{"image", "--bogus", "--version"}, false, true},
        {{"movie", "--version", "--help"}, false, true},
        {{"mesh", "-h", "--version"}, true, false},
    };
    for (const auto& c : cases) {
        const ParseOutcome p = parse(c.words);
        EXPECT_TRUE(p.ok) << *c.words.begin();
        EXPECT_EQ(p.help, c.help) << *c.words.begin();
        EXPECT_EQ(p.version, c.version) << *c.words.begin();
    }
}
