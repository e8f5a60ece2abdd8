#pragma once
// Output that appears under its real name only when it is complete. The data
// goes to a hidden temporary file beside the target (same folder, so the
// final rename is atomic); commit() renames it into place, and anything else
// (an error, the destructor, SIGINT, SIGTERM or SIGHUP) removes it, so an
// interrupted export never leaves half a file under the real name.
//
// The signal handler is process-wide: call installCleanupOnSignals() once
// from the main thread. It also makes a write beyond the file-size limit
// (ulimit -f) fail with EFBIG, like any failed write, instead of killing the
// process before anything is cleaned up. A few temporary files and one child
// process (the movie encoder, which writes into a temporary file) are tracked
// at a time.
#include <cstdio>
#include <string>

class PendingFile {
public:
    PendingFile() = default;
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;
    ~PendingFile() { discard(); }

    // Creates the temporary file; fails (with a one-line reason) when the
    // folder is missing or not writable, or the target is a folder.
    bool create(const std::string& target, std::string& error);
    const std::string& temporaryPath() const { return temporary; }
    std::FILE* stream() const { return file; }
    // Call at once after a writer failed with `error`: when the stream's own
    // writes failed (a full disk, the file-size limit), the error becomes one
    // naming the target and the system's reason, which errno still holds.
    void nameWriteFailure(std::string& error) const;
    // Closes the stream, gives the file the usual permissions and renames it
    // to the target.
    bool commit(std::string& error);
    void discard();

private:
    std::string target;
    std::string temporary;
    std::FILE* file = nullptr;
    int slot = -1;
};

void installCleanupOnSignals();
// The encoder writing into a pending file: on a signal it is stopped before
// the file is removed, so it cannot create the file again. -1 clears it.
void trackChildProcess(int pid);
