#include "viewer/AppState.h"

// Static storage: alive from before main until exit, when the mesh releases
// its grid.
AppState appState;
