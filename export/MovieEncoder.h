#pragma once
// Movies through the system's ffmpeg: raw RGB frames stream into its
// standard input and it writes MP4 (H.264, 4:2:0), WebM (VP9, 4:2:0) or an
// animated GIF (with a palette made for the whole movie). The program is
// found on PATH; it runs with our standard error, so its own complaints
// reach the user. One encoder at a time per process.
#include <string>
#include <vector>

#include "export/ExportSettings.h"

// The full path of an executable named `name` on PATH, or "" when there is none.
std::string findOnPath(const char* name);

// The encoder's command line after the program name.
std::vector<std::string> encoderArguments(OutputFormat format, int width, int height, double fps,
                                          const std::string& output);

struct MovieEncoder {
    int pid = -1;
    int input = -1;  // write end of the pipe into the encoder
};

bool startEncoder(const std::string& program, const std::vector<std::string>& arguments, MovieEncoder& encoder,
                  std::string& error);
bool sendFrame(MovieEncoder& encoder, const unsigned char* data, std::size_t size, std::string& error);
// Closes the pipe and waits; false unless the encoder exited with status 0.
bool finishEncoder(MovieEncoder& encoder, std::string& error);
// Stops an encoder that is still running (after a failure elsewhere) and
// waits for it, so it cannot write its file after the file is removed.
void abandonEncoder(MovieEncoder& encoder);
