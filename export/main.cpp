// The exporter's entry point: parses the command line and runs one export.
// Needs no display; see Exporter.h for the exit statuses.
#include <cstdio>

#include "curves/SearchMemory.h"
#include "export/ExportSettings.h"
#include "export/Exporter.h"
#include "export/PendingFile.h"
#include "viewer/Version.h"

int main(int argc, char** argv)
{
    const ParseOutcome parsed = parseExportArguments(argc, argv);
    if (parsed.help) {
        std::fputs(usageText(), stdout);
        return 0;
    }
    if (parsed.version) {
        std::printf("vedoze-vaderuve-export %s\n", kVersion);
        return 0;
    }
    if (!parsed.ok) {
        std::fprintf(stderr, "vedoze-vaderuve-export: %s (see --help)\n", parsed.error.c_str());
        return exitBadInput;
    }
    installCleanupOnSignals();
    keepSearchMemory();
    return runExport(parsed.settings, stderr);
}
