#pragma once

#include "app/app_context.h"
#include "app/main_window.h"
#include "app/shared_values.h"
#include "download/worker_pool.h"
#include "platform/http_backend.h"
#include "regex/regex_object.h"

// One running instance of the program: it owns the main window with its
// controls, the regex object, the worker pool, the HTTP backend and the
// shared values, and wires the controls' events to the system's routines.
// The desktop services are the caller's (the Qt view or the headless
// stand-in) and must outlive the application. Several instances, each with
// its own program directory, can live in one process.
class Application {
 public:
  Application(Text programDirectory, Desktop& desktop, TranscoderSource transcoder);
  // Ends background work and waits for it (see WindowDestroyed).
  ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // The window-created steps, on the window thread before the first input:
  // settings, transcoder check, tmp clean-up, progress bar placement, focus.
  void WindowCreated();

  // The window is about to be destroyed (never refused): ends the
  // transcoder process this program started, cancels network transfers and
  // waits until every background thread has finished. Idempotent.
  void WindowDestroyed();

  MainWindow& window() { return window_; }
  AppContext& context() { return context_; }
  SharedValues& shared() { return shared_; }
  WorkerPool& pool() { return pool_; }
  HttpBackend& http() { return http_; }

 private:
  void WireEvents();

  MainWindow window_;
  SharedValues shared_;
  HttpBackend http_;
  RegexObject regex_;
  // Declared last so that it is destroyed first: its workers use everything
  // above.
  WorkerPool pool_;
  AppContext context_;
  bool destroyed_ = false;
};
