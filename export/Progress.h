#pragma once
// Progress of a movie on standard error: a bar redrawn in place when that is
// a terminal (frames done, frames per second, time left), otherwise nothing
// until one summary line at the end. Times are wall-clock seconds.
#include <chrono>
#include <cstdio>
#include <string>

// "[#######.............]  37/101 frames  12.3 fps  5 s left"
std::string progressLine(int done, int total, double elapsedSeconds);

class ProgressMeter {
public:
    ProgressMeter(std::FILE* stream, int total);
    void frameDone();
    // Ends the bar and prints the one summary line about `what`.
    void finish(const std::string& what);

private:
    std::FILE* stream;
    int total;
    int done = 0;
    bool terminal;
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    double lastDrawn = -1;
    double elapsed() const;
};
