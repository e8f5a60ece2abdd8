#include "export/MovieEncoder.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "export/PendingFile.h"

std::string findOnPath(const char* name)
{
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    while (start <= folders.size()) {
        size_t end = folders.find(':', start);
        if (end == std::string::npos)
            end = folders.size();
        // An empty entry means the current folder.
        const std::string folder = end > start ? folders.substr(start, end - start) : std::string(".");
        const std::string candidate = folder + "/" + name;
        struct stat info {};
        if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    return "";
}

std::vector<std::string> encoderArguments(OutputFormat format, int width, int height, double fps,
                                          const std::string& output)
{
    char size[32], rate[32];
    std::snprintf(size, sizeof size, "%dx%d", width, height);
    std::snprintf(rate, sizeof rate, "%.17g", fps);
    std::vector<std::string> arguments = {"-hide_banner", "-loglevel", "error", "-nostdin", "-y",
                                          "-f", "rawvideo", "-pix_fmt", "rgb24", "-video_size", size,
                                          "-framerate", rate, "-i", "pipe:0"};
    std::vector<std::string> tail;
    switch (format) {
    case OutputFormat::Mp4:
        tail = {"-c:v", "libx264", "-pix_fmt", "yuv420p", "-crf", "18", "-movflags", "+faststart", "-f", "mp4"};
        break;
    case OutputFormat::Webm:
        // Constant quality; the realtime-leaning speed keeps a 101-frame
        // movie in seconds rather than minutes.
        tail = {"-c:v", "libvpx-vp9", "-pix_fmt", "yuv420p", "-crf", "30", "-b:v", "0",
                "-deadline", "good", "-cpu-used", "4", "-row-mt", "1", "-f", "webm"};
        break;
    default:
        // One palette for the whole movie, so colours do not flicker.
        tail = {"-filter_complex", "[0:v]split[a][b];[a]palettegen=stats_mode=full[p];[b][p]paletteuse",
                "-f", "gif"};
        break;
    }
    arguments.insert(arguments.end(), tail.begin(), tail.end());
    arguments.push_back(output);
    return arguments;
}

bool startEncoder(const std::string& program, const std::vector<std::string>& arguments, MovieEncoder& encoder,
                  std::string& error)
{
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : arguments)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    int fds[2];
    if (pipe(fds) != 0) {
        error = std::string("cannot start ffmpeg: ") + std::strerror(errno);
        return false;
    }
    const pid_t pid = fork();
    if (pid < 0) {
        error = std::string("cannot start ffmpeg: ") + std::strerror(errno);
        close(fds[0]);
        close(fds[1]);
        return false;
    }
    if (pid == 0) {
        // An ignored signal stays ignored across exec: ffmpeg would then meet
        // the file-size limit as failed writes and report each of them. Left
        // to the default, it stops at once and finishEncoder says why.
        signal(SIGXFSZ, SIG_DFL);
        dup2(fds[0], STDIN_FILENO);
        close(fds[0]);
        close(fds[1]);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(fds[0]);
    encoder.pid = pid;
    encoder.input = fds[1];
    trackChildProcess(pid);
    return true;
}

bool sendFrame(MovieEncoder& encoder, const unsigned char* data, std::size_t size, std::string& error)
{
    while (size > 0) {
        const ssize_t written = write(encoder.input, data, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            error = "ffmpeg stopped taking frames";
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

bool finishEncoder(MovieEncoder& encoder, std::string& error)
{
    if (encoder.input >= 0)
        close(encoder.input);
    encoder.input = -1;
    if (encoder.pid < 0)
        return false;
    int status = 0;
    pid_t done;
    do
        done = waitpid(encoder.pid, &status, 0);
    while (done < 0 && errno == EINTR);
    encoder.pid = -1;
    trackChildProcess(-1);
    if (done >= 0 && WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ) {
        // Over the file-size limit, which is also why it stopped taking frames.
        error = std::strerror(EFBIG);
        return false;
    }
    if (done < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        char line[96];
        if (done >= 0 && WIFEXITED(status))
            std::snprintf(line, sizeof line, "ffmpeg failed with exit status %d", WEXITSTATUS(status));
        else
            std::snprintf(line, sizeof line, "ffmpeg ended abnormally");
        if (error.empty())
            error = line;
        return false;
    }
    return true;
}

void abandonEncoder(MovieEncoder& encoder)
{
    if (encoder.input >= 0)
        close(encoder.input);
    encoder.input = -1;
    if (encoder.pid > 0) {
        kill(encoder.pid, SIGKILL);
        while (waitpid(encoder.pid, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    encoder.pid = -1;
    trackChildProcess(-1);
}
