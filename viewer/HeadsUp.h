#pragma once
// The heads-up text: up to four lines in the top-left corner of each view,
// the time and time step always, the blending intensity while blending, the
// eye separation in stereo, the counts of double curves and triple points
// while they are drawn. Positions are window pixels with rows counted
// downward; each line keeps its place even when the one above is not shown.
// Every front end draws these same strings at these same places.
struct AppState;

constexpr int headsUpX = 20;          // left edge of the text
constexpr float headsUpTextSize = 18; // cell height: one glyph pixel per screen pixel
constexpr int timeLineY = 38;         // bottom edges of the character cells
constexpr int alphaLineY = 61;
constexpr int stereoLineY = 84;
constexpr int curvesLineY = 107;
constexpr int headsUpLineSize = 128;  // room for any of the lines and its NUL

// Each writes one NUL-terminated line into buffer.
void formatTimeLine(const AppState& state, char* buffer, int size);   // "t = ..., delta_t = 1/N"
void formatAlphaLine(const AppState& state, char* buffer, int size);  // "alpha = ..."
void formatStereoLine(const AppState& state, char* buffer, int size); // "stereo distance = ..."
// "double curves: N, triple points: M"
void formatCurvesLine(int curves, int triplePoints, char* buffer, int size);
