// The program: the main window of one application instance on the screen.

#include <unistd.h>

#include <QApplication>

#include <string>

#include "app/application.h"
#include "app/view/cjk_font.h"
#include "app/view/main_window_view.h"
#include "app/view/qt_desktop.h"

namespace {

// The directory that holds the executable, without a final "/"; empty for
// the root directory or when the link cannot be read.
Text ProgramDirectory() {
  std::string path(4096, '\0');
  for (;;) {
    const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
    if (length < 0) return {};
    if (static_cast<size_t>(length) < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  const size_t slash = path.rfind('/');
  path.resize(slash == std::string::npos ? 0 : slash);
  return FromUtf8(path);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication qtApplication(argc, argv);
  UseCjkCapableFont(qtApplication);

  QtDesktop desktop;
  Application application(ProgramDirectory(), desktop,
                          TranscoderSource{VANTRELO_TRANSCODER_URL, VANTRELO_TRANSCODER_SIZE});
  MainWindowView view(application.window());
  view.onClose = [&] {
    // Nobody may wait for a message box any more while the background
    // threads are wound up.
    desktop.Shutdown();
    application.WindowDestroyed();
  };
  view.show();
  application.WindowCreated();
  // The window-created steps' changes are on screen before the first input.
  view.FlushNow();
  qtApplication.exec();
  return 0;
}
