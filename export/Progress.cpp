#include "export/Progress.h"

#include <unistd.h>

std::string progressLine(int done, int total, double elapsedSeconds)
{
    constexpr int barWidth = 30;
    const int filled = total > 0 ? done * barWidth / total : barWidth;
    std::string bar(static_cast<std::size_t>(filled), '#');
    bar.resize(barWidth, '.');
    const double fps = elapsedSeconds > 0 ? done / elapsedSeconds : 0;
    char line[160];
    if (done > 0 && fps > 0)
        std::snprintf(line, sizeof line, "[%s] %d/%d frames  %.1f fps  %.0f s left", bar.c_str(), done, total, fps,
                      (total - done) / fps);
    else
        std::snprintf(line, sizeof line, "[%s] %d/%d frames", bar.c_str(), done, total);
    return line;
}

ProgressMeter::ProgressMeter(std::FILE* s, int n) : stream(s), total(n), terminal(isatty(fileno(s)) == 1)
{
    if (terminal) {
        std::fprintf(stream, "\r%s", progressLine(0, total, 0).c_str());
        std::fflush(stream);
    }
}

double ProgressMeter::elapsed() const
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void ProgressMeter::frameDone()
{
    ++done;
    if (!terminal)
        return;
    // At most ten redraws a second, and always the last one.
    const double now = elapsed();
    if (done < total && now - lastDrawn < 0.1)
        return;
    lastDrawn = now;
    // \033[K clears what a longer earlier line left on the right.
    std::fprintf(stream, "\r%s\033[K", progressLine(done, total, now).c_str());
    std::fflush(stream);
}

void ProgressMeter::finish(const std::string& what)
{
    const double seconds = elapsed();
    if (terminal)
        std::fputc('\n', stream);
    std::fprintf(stream, "%d frames in %.1f s (%.1f fps) -> %s\n", done, seconds, seconds > 0 ? done / seconds : 0.0,
                 what.c_str());
    std::fflush(stream);
}
