#include "export/PendingFile.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace {
// Fixed storage that the signal handler can read without allocating.
constexpr int maxTracked = 8;
constexpr std::size_t maxPath = 4096;
char trackedPaths[maxTracked][maxPath];
volatile sig_atomic_t trackedInUse[maxTracked];
volatile sig_atomic_t childPid = -1;

extern "C" void cleanUpAndDie(int signalNumber)
{
    const pid_t child = childPid;
    if (child > 0) {
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
    }
    for (int i = 0; i < maxTracked; ++i)
        if (trackedInUse[i])
            unlink(trackedPaths[i]);
    signal(signalNumber, SIG_DFL);
    raise(signalNumber);
}

int track(const std::string& path)
{
    if (path.size() >= maxPath)
        return -1;
    for (int i = 0; i < maxTracked; ++i)
        if (!trackedInUse[i]) {
            std::memcpy(trackedPaths[i], path.c_str(), path.size() + 1);
            trackedInUse[i] = 1;
            return i;
        }
    return -1;
}

std::string folderOf(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

mode_t creationMode()
{
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}
}

bool PendingFile::create(const std::string& path, std::string& error)
{
    discard();
    struct stat existing {};
    if (stat(path.c_str(), &existing) == 0 && S_ISDIR(existing.st_mode)) {
        error = "cannot write '" + path + "': it is a folder";
        return false;
    }
    const size_t slash = path.find_last_of('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string pattern = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + "." + name +
                          ".tmp-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    // Blocked while the name is made and tracked, so a signal cannot strike
    // between the two.
    sigset_t all, previous;
    sigfillset(&all);
    sigprocmask(SIG_BLOCK, &all, &previous);
    const int fd = mkstemp(buffer.data());
    const int savedErrno = errno;
    if (fd >= 0)
        slot = track(buffer.data());
    sigprocmask(SIG_SETMASK, &previous, nullptr);
    if (fd < 0) {
        error = "cannot write to '" + folderOf(path) + "': " + std::strerror(savedErrno);
        return false;
    }
    temporary = buffer.data();
    target = path;
    file = fdopen(fd, "wb");
    if (!file) {
        close(fd);
        discard();
        error = "cannot write '" + path + "': out of memory";
        return false;
    }
    return true;
}

void PendingFile::nameWriteFailure(std::string& error) const
{
    const int reason = errno;
    if (file && std::ferror(file) && reason != 0)
        error = "cannot write '" + target + "': " + std::strerror(reason);
}

bool PendingFile::commit(std::string& error)
{
    if (temporary.empty()) {
        error = "nothing to write for '" + target + "'";
        return false;
    }
    // The first failure is the reason: closing after a failed flush fails
    // again and may say less.
    int reason = 0;
    const auto failed = [&reason](bool ok) {
        if (!ok && reason == 0)
            reason = errno;
    };
    if (file) {
        failed(std::fflush(file) == 0);
        failed(fchmod(fileno(file), creationMode()) == 0);
        failed(std::fclose(file) == 0);
        file = nullptr;
    } else {
        failed(chmod(temporary.c_str(), creationMode()) == 0);
    }
    if (reason == 0)
        failed(std::rename(temporary.c_str(), target.c_str()) == 0);
    if (reason != 0) {
        error = "cannot write '" + target + "': " + std::strerror(reason);
        discard();
        return false;
    }
    if (slot >= 0)
        trackedInUse[slot] = 0;
    slot = -1;
    temporary.clear();
    return true;
}

void PendingFile::discard()
{
    if (file) {
        std::fclose(file);
        file = nullptr;
    }
    if (!temporary.empty())
        unlink(temporary.c_str());
    if (slot >= 0)
        trackedInUse[slot] = 0;
    slot = -1;
    temporary.clear();
}

void installCleanupOnSignals()
{
    struct sigaction action {};
    action.sa_handler = cleanUpAndDie;
    sigemptyset(&action.sa_mask);
    for (int s : {SIGINT, SIGTERM, SIGHUP})
        sigaction(s, &action, nullptr);
    // A dead encoder shows up as a failed write, not as a silent death.
    signal(SIGPIPE, SIG_IGN);
    signal(SIGXFSZ, SIG_IGN);
}

void trackChildProcess(int pid)
{
    childPid = pid;
}
