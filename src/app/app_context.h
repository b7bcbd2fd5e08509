#pragma once

#include <cstdint>

#include "app/desktop.h"
#include "app/main_window.h"
#include "app/shared_values.h"
#include "platform/text.h"

class RegexObject;
class WorkerPool;
class HttpBackend;

// Where the transcoder installer fetches the transcoder from, and the size
// the installed file must have.
struct TranscoderSource {
  Text url;
  std::int64_t expectedSize = -1;
};

// Everything the system's routines work on: the window and its controls, the
// desktop services, the two long-lived objects, the HTTP backend and the
// shared values. One per application instance; the application owns all of
// it, so several instances can live side by side in one process.
struct AppContext {
  // Folder of the program, without a final "/"; data/ and tmp/ live in it.
  Text programDirectory;
  MainWindow& window;
  Desktop& desktop;
  RegexObject& regex;
  WorkerPool& pool;
  HttpBackend& http;
  SharedValues& shared;
  TranscoderSource transcoder;

  Text DataDirectory() const { return programDirectory + "/data"; }
  Text SettingsPath() const { return programDirectory + "/data/config.ini"; }
  Text TranscoderPath() const { return programDirectory + "/data/M3U8.exe"; }
  // The segment directory, with its final "/".
  Text TempDirectory() const { return programDirectory + "/tmp/"; }
};
