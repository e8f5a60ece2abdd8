#include "export/Exporter.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "draw/PictureFile.h"
#include "curves/CurveDisplay.h"
#include "export/CurveWriter.h"
#include "export/MeshWriter.h"
#include "export/MovieEncoder.h"
#include "export/OffscreenTarget.h"
#include "export/PendingFile.h"
#include "export/PngWriter.h"
#include "export/Progress.h"
#include "export/ViewerSetup.h"
#include "viewer/SurfaceWeld.h"

namespace {
struct Failure {
    int status;
    std::string text;
};

void check(bool ok, int status, const std::string& text)
{
    if (!ok)
        throw Failure{status, text};
}

// A writer's result: when the disk refused the data, the line names the
// file and the system's reason rather than the writer's own words.
void checkWritten(bool ok, const PendingFile& out, std::string& error)
{
    if (!ok)
        out.nameWriteFailure(error);
    check(ok, exitFailed, error);
}

// Numbered so that names sort in frame order: at least five digits.
std::string frameName(int index, int frames)
{
    const std::size_t digits = std::max<std::size_t>(5, std::to_string(frames - 1).size());
    std::string number = std::to_string(index);
    number.insert(0, digits - std::min(digits, number.size()), '0');
    return "frame-" + number + ".png";
}

void exportImage(const ExportSettings& s)
{
    std::string error;
    PendingFile out;
    check(out.create(s.output, error), exitBadInput, error);
    OffscreenTarget target;
    check(target.open(s.width, s.height, s.samples, error), exitBadInput, error);
    AppState state;
    std::unique_ptr<Camera> camera;
    configureView(s, state, camera);
    drawViewerFrame(state);
    std::vector<unsigned char> rgb;
    target.readRgb(rgb);
    checkWritten(writePng(out.stream(), s.width, s.height, rgb.data(), error), out, error);
    check(out.commit(error), exitFailed, error);
}

void exportMovie(const ExportSettings& s, std::FILE* err)
{
    std::string error;
    const bool sequence = s.format == OutputFormat::PngSequence;
    std::string encoder;
    if (!sequence) {
        encoder = findOnPath("ffmpeg");
        check(!encoder.empty(), exitBadInput, "ffmpeg is needed for movies but is not on PATH (install Debian's ffmpeg)");
    }

    OffscreenTarget target;
    check(target.open(s.width, s.height, s.samples, error), exitBadInput, error);

    PendingFile out;
    std::string folder = s.output;
    // A folder made here is removed again if the movie fails before its
    // first frame (rmdir leaves a folder with pictures in it alone).
    struct NewFolder {
        std::string path;
        ~NewFolder()
        {
            if (!path.empty())
                rmdir(path.c_str());
        }
    } newFolder;
    if (sequence) {
        // The folder may be new, but its parent must exist.
        while (folder.size() > 1 && folder.back() == '/')
            folder.pop_back();
        if (mkdir(folder.c_str(), 0777) == 0)
            newFolder.path = folder;
        else if (errno != EEXIST)
            check(false, exitBadInput, "cannot make the folder '" + folder + "': " + std::strerror(errno));
        struct stat info {};
        check(stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode), exitBadInput,
              "'" + folder + "' is not a folder");
        // A trial file proves the folder writable before any work.
        PendingFile trial;
        check(trial.create(folder + "/" + frameName(0, s.frames), error), exitBadInput, error);
    } else {
        check(out.create(s.output, error), exitBadInput, error);
    }

    AppState state;
    std::unique_ptr<Camera> camera;
    configureView(s, state, camera);

    MovieEncoder pipe;
    // Declared after the pending file, so it ends first on any failure.
    struct Abandon {
        MovieEncoder& encoder;
        ~Abandon() { abandonEncoder(encoder); }
    } abandon{pipe};
    if (!sequence) {
        check(startEncoder(encoder, encoderArguments(s.format, s.width, s.height, s.fps, out.temporaryPath()), pipe,
                           error),
              exitFailed, error);
    }
    ProgressMeter progress(err, s.frames);
    std::vector<unsigned char> rgb;
    for (int i = 0; i < s.frames; ++i) {
        const double t = s.frames > 1 ? s.from + (s.to - s.from) * i / (s.frames - 1) : s.from;
        setSurfaceTime(state, t);
        if (s.rotate && i > 0)
            turnCameraOneStep(state);
        drawViewerFrame(state);
        target.readRgb(rgb);
        if (sequence) {
            PendingFile frame;
            check(frame.create(folder + "/" + frameName(i, s.frames), error), exitFailed, error);
            checkWritten(writePng(frame.stream(), s.width, s.height, rgb.data(), error), frame, error);
            check(frame.commit(error), exitFailed, error);
            newFolder.path.clear();
        } else if (!sendFrame(pipe, rgb.data(), rgb.size(), error)) {
            finishEncoder(pipe, error);
            check(false, exitFailed, "cannot write '" + s.output + "': " + error);
        }
        progress.frameDone();
    }
    if (!sequence) {
        const bool finished = finishEncoder(pipe, error);
        check(finished, exitFailed, "cannot write '" + s.output + "': " + error);
        check(out.commit(error), exitFailed, error);
    }
    progress.finish(s.output);
}

// NOTE: peak memory measured at 512 x 512 patches (8.4 million triangles):
// 1.8 GB for PLY, 2.5 GB for STL, 3.8 GB for glTF and 4.9 GB for OBJ, most of
// it the asset library's copies of the scene; 600 bytes a triangle covers all.
constexpr double bytesPerTriangle = 600;

// A mesh that cannot fit is refused before any work, rather than left to
// the kernel's out-of-memory killer halfway through.
void checkMeshFits(const ExportSettings& s)
{
    AppState state;
    configureSurface(s, state);
    const double triangles = 2.0 * s.hemispheres * s.stripsShown * s.latitudinalPatches * state.mesh.patchesAcross();
    const double needed = triangles * bytesPerTriangle;
    const double available = static_cast<double>(sysconf(_SC_PHYS_PAGES)) * static_cast<double>(sysconf(_SC_PAGESIZE));
    char line[200];
    std::snprintf(line, sizeof line,
                  "a mesh of %.0f million triangles needs about %.1f GB of memory, more than the %.1f GB here; "
                  "use fewer --patches or --strips",
                  triangles / 1e6, needed / 1e9, available / 1e9);
    check(available <= 0 || needed < available, exitBadInput, line);
}

void exportMesh(const ExportSettings& s)
{
    std::string error;
    checkMeshFits(s);
    PendingFile out;
    check(out.create(s.output, error), exitBadInput, error);
    AppState state;
    configureSurface(s, state);
    state.mesh.prepare(state.halfStrips);
    const SurfaceMesh& m = state.mesh;
    const IndexedMesh mesh = weldSurface(m, state.halfStrips).mesh;
    checkWritten(writeMesh(mesh, s.format, out.stream(), error), out, error);
    check(out.commit(error), exitFailed, error);
}

// The curves of the whole surface at the time asked, and the triple points
// when asked; both files appear only when both are written.
void exportCurves(const ExportSettings& s)
{
    std::string error;
    PendingFile out, triple;
    check(out.create(s.output, error), exitBadInput, error);
    if (!s.triplePoints.empty())
        check(triple.create(s.triplePoints, error), exitBadInput, error);
    AppState state;
    configureSurface(s, state);
    const DoubleCurveSet set = findDoubleCurves(CurveDisplay::requestFor(state.mesh));
    if (s.format == OutputFormat::Csv)
        checkWritten(writeCurvesCsv(set, out.stream(), error), out, error);
    else
        checkWritten(writeCurvesObj(set, out.stream(), error), out, error);
    if (!s.triplePoints.empty())
        checkWritten(writeTriplePointsCsv(set, triple.stream(), error), triple, error);
    check(out.commit(error), exitFailed, error);
    if (!s.triplePoints.empty())
        check(triple.commit(error), exitFailed, error);
}
}

int runExport(const ExportSettings& given, std::FILE* err)
{
    try {
        // The picture of the image scheme is read before any output exists.
        ExportSettings settings = given;
        std::string error;
        check(loadLookPicture(settings.look, error), exitBadInput, error);
        switch (settings.kind) {
        case ExportKind::Image: exportImage(settings); break;
        case ExportKind::Movie: exportMovie(settings, err); break;
        case ExportKind::Mesh: exportMesh(settings); break;
        case ExportKind::Curves: exportCurves(settings); break;
        }
        return 0;
    } catch (const Failure& failure) {
        std::fprintf(err, "vedoze-vaderuve-export: %s\n", failure.text.c_str());
        return failure.status;
    } catch (const std::bad_alloc&) {
        std::fprintf(err, "vedoze-vaderuve-export: out of memory (try fewer patches or a smaller size)\n");
        return exitFailed;
    }
}
