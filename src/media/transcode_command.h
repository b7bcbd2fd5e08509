#pragma once

#include "platform/text.h"

// Where the transcoder lives and how it is called. Directory texts end in
// "/" where the task stores one; names are joined as plain text, nothing is
// inserted. Pure functions, any thread.

// programDirectory + "/data/M3U8.exe".
Text TranscoderPath(const Text& programDirectory);

// The transcoder's output: saveLocation + fileName + "_已转码.mp4".
Text TranscodedOutputPath(const Text& saveLocation, const Text& fileName);

// The command line that rewrites the merged file (saveLocation + fileName +
// ".mp4") as an MP4 file without re-encoding:
//   "{P}/data/M3U8.exe" -threads 0 -i "{S}{F}.mp4" -c copy -y -bsf:a
//   aac_adtstoasc "{S}{F}_已转码.mp4"
// on one line. File names may hold double quotes here: a quote in the
// input or output path is escaped so that SplitCommandLine gives back
// exactly these two paths and no extra argument; for every other name the
// line is the one above, byte for byte.
Text TranscodeCommandLine(const Text& programDirectory, const Text& saveLocation,
                          const Text& fileName);
