#pragma once

#include <optional>

#include "platform/text.h"

struct Menu;

enum class MessageButtons { Ok, YesNo };
enum class MessageIcon { None, Information, Warning, Error };
enum class MessageAnswer { Ok, Yes, No };

// One message box as the system asks for it.
struct MessageRequest {
  Text text;
  Text caption;
  MessageButtons buttons = MessageButtons::Ok;
  MessageIcon icon = MessageIcon::None;
};

// Default caption of a message box.
inline const Text kDefaultCaption = "信息：";

// The desktop services behind the window: message boxes, clipboard, pop-up
// menu, folder browser, the shell's open action, and the window thread's
// event processing. The Qt view implements them on screen; the headless
// stand-in records them and answers from a script.
class Desktop {
 public:
  virtual ~Desktop() = default;

  // Shows a message box and waits for the answer. Any thread; while a thread
  // other than the window thread waits, the window stays responsive.
  virtual MessageAnswer ShowMessage(const MessageRequest& request) = 0;

  // Window thread only.
  virtual void SetClipboardText(const Text& text) = 0;
  virtual void PopupMenu(Menu& menu) = 0;
  // The chosen entry's path, or nothing on cancel or an entry without path.
  virtual std::optional<Text> BrowseForFolder(const Text& title) = 0;
  virtual void OpenPath(const Text& path) = 0;
  virtual void Repaint() = 0;

  // Dispatches every waiting window event on the window thread; on any other
  // thread it does nothing. PumpPendingInput does the same only when user
  // input is waiting.
  virtual void ProcessPendingEvents() = 0;
  virtual void PumpPendingInput() = 0;
};

// Shows a message with an OK button; the caption defaults to "信息：".
inline void ShowInfo(Desktop& desktop, const Text& text, MessageIcon icon = MessageIcon::None,
                     const Text& caption = kDefaultCaption) {
  desktop.ShowMessage({text, caption, MessageButtons::Ok, icon});
}
