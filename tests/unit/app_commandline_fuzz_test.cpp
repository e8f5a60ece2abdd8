// The command-line parser under thousands of random argument vectors: flags
// in every order and repetition, numbers in every spelling strtod knows (and
// some it half knows), very long words, empty words and bytes that are not
// UTF-8. Each vector is checked against a small independent reading of the
// rules: whether the usage text appears, which flags took effect, which word
// became the stereo distance and what the console shows.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "viewer/AppState.h"
#include "viewer/CommandLine.h"
#include "viewer/SurfaceOptions.h"

namespace {
// Fixed, so that a failure names a vector that can be replayed.
constexpr unsigned fuzzSeed = 20240611;
constexpr int vectorCount = 4000;

// Words that mean something, words that almost do, and numbers that strtod
// reads in unusual ways (overflow, hex floats, nan payloads, partial parses).
const char* const specialWords[] = {
    "-h", "--help", "-r", "--root", "-s", "--stereo",
    "-H", "--HELP", "-R", "-S", "--stereo=0.2", "-s0.3", "-sr", "-rs", "--stereo ", " -s", "-", "--", "",
    "---stereo", "--roo", "-h ", "help", "stereo",
    "1e400", "-1e400", "1e-400", "-0", "+0", "0", "nan", "-nan", "NaN(123)", "inf", "-inf", "Infinity",
    "0x1p3", "-0x1.8p-2", "0x", "0x1p99999", "1e", "1e+", ".", "+.5", "-.5e1", "0.5xyz", " 0.25", "\t-7",
    "3.4028235e38", "3.5e38", "1.4e-45", "1e-46", "2.2250738585072014e-308", "0.1", "-0.1", "42",
};

struct Expected {
    bool run = true;
    bool root = false;
    bool stereo = false;
    float distance = 0.1f;
};

bool isWord(const std::string& w, const char* a, const char* b) { return w == a || w == b; }

// The rules read once more, independently of the parser: every word is a
// whole, case-sensitive match; the word after -s/--stereo is its distance
// unless it is -r/--root/-h/--help.
Expected readRules(const std::vector<std::string>& words)
{
    Expected e;
    for (size_t i = 1; i < words.size(); ++i) {
        if (isWord(words[i], "-h", "--help")) {
            e.run = false;
            return e;
        }
        if (isWord(words[i], "-r", "--root"))
            e.root = true;
        if (isWord(words[i], "-s", "--stereo")) {
            e.stereo = true;
            if (i + 1 < words.size()) {
                const std::string& next = words[i + 1];
                if (!isWord(next, "-r", "--root") && !isWord(next, "-h", "--help")) {
                    e.distance = static_cast<float>(std::strtod(next.c_str(), nullptr));
                    ++i;
                }
            }
        }
    }
    return e;
}

std::string randomBytes(std::mt19937& rng, size_t length, bool anyByte)
{
    std::string s(length, 'x');
    std::uniform_int_distribution<int> byte(1, 255);  // argv words cannot hold NUL
    std::uniform_int_distribution<int> printable(32, 126);
    for (char& c : s)
        c = static_cast<char>(anyByte ? byte(rng) : printable(rng));
    return s;
}

std::string randomWord(std::mt19937& rng)
{
    std::uniform_int_distribution<int> kind(0, 99);
    std::uniform_int_distribution<size_t> special(0, std::size(specialWords) - 1);
    const int k = kind(rng);
    if (k < 3)  // rare, so that most vectors are read to the end
        return k == 0 ? "-h" : "--help";
    if (k < 15)
        return specialWords[2 + k % 4];  // -r, --root, -s, --stereo
    if (k < 40) {
        const std::string w = specialWords[special(rng)];
        return (w == "-h" || w == "--help") ? "-s" : w;
    }
    if (k < 55) {  // huge digit strings, some with a point or an exponent
        std::string w(std::uniform_int_distribution<size_t>(1, 4000)(rng), '9');
        if (k % 2)
            w.insert(w.begin(), '-');
        if (k % 3 == 0)
            w.insert(w.size() / 2, ".");
        if (k % 5 == 0)
            w += "e-99999";
        return w;
    }
    if (k < 70)  // bytes that are not UTF-8 (lone continuation bytes, 0xff)
        return randomBytes(rng, std::uniform_int_distribution<size_t>(1, 40)(rng), true);
    if (k < 75)  // very long words
        return randomBytes(rng, std::uniform_int_distribution<size_t>(10000, 100000)(rng), k % 2 == 0);
    if (k < 80)
        return "";
    // A random double printed in a random format.
    const double v = std::ldexp(std::uniform_real_distribution<double>(-1, 1)(rng),
                                std::uniform_int_distribution<int>(-1100, 1100)(rng));
    static const char* const formats[] = {"%g", "%.17g", "%a", "%f", "%e", "%.0f"};
    char buffer[2048];
    std::snprintf(buffer, sizeof buffer, formats[k % std::size(formats)], v);
    return buffer;
}

// The vector as C-escaped text, long words cut short, for failure messages.
std::string describe(const std::vector<std::string>& words)
{
    std::string s;
    for (const std::string& w : words) {
        s += " \"";
        for (size_t i = 0; i < w.size() && i < 40; ++i) {
            const unsigned char c = static_cast<unsigned char>(w[i]);
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, c < 32 || c > 126 || c == '"' ? "\\x%02x" : "%c", c);
            s += escaped;
        }
        s += w.size() > 40 ? "...\" (" + std::to_string(w.size()) + " bytes)" : "\"";
    }
    return s;
}

// Text written to a stream backed by memory.
struct Capture {
    char* data = nullptr;
    size_t size = 0;
    std::FILE* file = open_memstream(&data, &size);
    ~Capture() { std::free(data); }
    std::string text()
    {
        std::fclose(file);
        file = nullptr;
        return std::string(data, size);
    }
};

std::string format(const char* pattern, const char* text)
{
    std::vector<char> buffer(std::strlen(pattern) + std::strlen(text) + 1);
    std::snprintf(buffer.data(), buffer.size(), pattern, text);
    return buffer.data();
}

// NaN has no equality; every other value (signed zeros, infinities) must
// agree bit for bit with what strtod gives.
bool sameFloat(float a, float b)
{
    if (std::isnan(a) || std::isnan(b))
        return std::isnan(a) && std::isnan(b);
    return a == b && std::signbit(a) == std::signbit(b);
}
}

TEST(CommandLineFuzz, RandomVectorsFollowTheRules)
{
    std::printf("command-line fuzz seed %u, %d vectors\n", fuzzSeed, vectorCount);
    std::mt19937 rng(fuzzSeed);
    std::uniform_int_distribution<int> length(0, 12);
    int usageRuns = 0, stereoRuns = 0, rootRuns = 0;
    for (int n = 0; n < vectorCount; ++n) {
        std::vector<std::string> words{n % 7 == 0 ? randomWord(rng) : "./vedoze-vaderuve"};
        for (int i = length(rng); i > 0; --i)
            words.push_back(randomWord(rng));
        // The parser gets its own copies, so that any write into them shows.
        std::vector<std::string> copies = words;
        std::vector<char*> argv;
        for (std::string& w : copies)
            argv.push_back(w.data());
        argv.push_back(nullptr);

        const Expected e = readRules(words);
        AppState state;
        const AppState defaults;
        Capture out, err;
        const bool run = parseCommandLine(static_cast<int>(words.size()), argv.data(), state, out.file, err.file);
        const std::string printed = out.text();
        const std::string usage = err.text();

        SCOPED_TRACE("vector " + std::to_string(n) + ":" + describe(words));
        ASSERT_EQ(copies, words);
        ASSERT_EQ(run, e.run);
        if (!run) {
            ++usageRuns;
            EXPECT_EQ(usage, format("\nUsage: %s [--help] [--root] [--stereo [stereo_distance]]\n\n",
                                    words[0].c_str()) +
                                 "The eversion:\n" + surfaceUsage + seamFreeUsage + "\nShowing where each point of the sphere started:\n" + lookUsage + "\n");
            EXPECT_EQ(printed, "");
        } else {
            EXPECT_EQ(usage, "");
            stereoRuns += e.stereo;
            if (e.stereo) {
                char line[512];
                std::snprintf(line, sizeof line, "Using stereo distance of %f\n", e.distance);
                EXPECT_EQ(printed, line);
            } else {
                EXPECT_EQ(printed, "");
            }
        }
        // Flags before any -h took effect even when the usage text stopped the run.
        rootRuns += e.root;
        EXPECT_EQ(state.stereo, e.stereo);
        EXPECT_EQ(state.animateEversion, e.root);
        EXPECT_EQ(state.animateRotation, e.root);
        EXPECT_EQ(state.showText, !e.root);
        EXPECT_TRUE(sameFloat(state.stereoDistance, e.distance)) << state.stereoDistance << " vs " << e.distance;
        // Nothing else is configurable from the command line.
        EXPECT_EQ(state.displayMode, defaults.displayMode);
        EXPECT_EQ(state.deltaT, defaults.deltaT);
        EXPECT_EQ(state.alpha, defaults.alpha);
        EXPECT_EQ(state.showWorldAxes, defaults.showWorldAxes);
        EXPECT_EQ(state.mesh.t, 0.0);
        EXPECT_EQ(state.camera, nullptr);
        if (HasFailure())
            break;
    }
    std::printf("usage %d, stereo %d, root %d\n", usageRuns, stereoRuns, rootRuns);
    // The mix must exercise every outcome, or the fuzz proves little.
    EXPECT_GT(usageRuns, vectorCount / 10);
    EXPECT_GT(stereoRuns, vectorCount / 10);
    EXPECT_GT(rootRuns, vectorCount / 10);
}

TEST(CommandLineFuzz, NoArgumentsAtAllIsAQuietMonoRun)
{
    // argc = 0 happens when a program is started through execve with an
    // empty vector: nothing to read, nothing to print.
    char* argv[] = {nullptr};
    AppState state;
    Capture out, err;
    EXPECT_TRUE(parseCommandLine(0, argv, state, out.file, err.file));
    EXPECT_EQ(out.text() + err.text(), "");
    EXPECT_FALSE(state.stereo);
}
