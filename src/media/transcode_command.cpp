#include "media/transcode_command.h"

#include "platform/command_line.h"

Text TranscoderPath(const Text& programDirectory) { return programDirectory + "/data/M3U8.exe"; }

Text TranscodedOutputPath(const Text& saveLocation, const Text& fileName) {
  return saveLocation + fileName + "_已转码.mp4";
}

Text TranscodeCommandLine(const Text& programDirectory, const Text& saveLocation,
                          const Text& fileName) {
  // The program name knows no escapes. A program directory with a double
  // quote in it cannot be written; the start then fails, harmlessly.
  return "\"" + TranscoderPath(programDirectory) + "\" -threads 0 -i " +
         QuoteCommandLineArgument(saveLocation + fileName + ".mp4") +
         " -c copy -y -bsf:a aac_adtstoasc " +
         QuoteCommandLineArgument(TranscodedOutputPath(saveLocation, fileName));
}
