#pragma once

#include <functional>
#include <mutex>

#include "platform/text.h"

// Place of a control: left, top, width, height in pixels, relative to its
// parent (the window, or the group box it lies in).
struct Rect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool operator==(const Rect&) const = default;
};

class Control;

// Told of every change to a control, on the thread that made it. The view
// implements it to bring the change to the screen; it must not block.
class ControlObserver {
 public:
  virtual ~ControlObserver() = default;
  virtual void ControlChanged(Control& control) = 0;
};

// A control of the main window, toolkit-neutral. Every single operation on a
// control is atomic with respect to other threads and safe from any thread;
// no lock spans several operations. Event handlers run on the thread that
// raised the event (the window thread for user input).
class Control {
 public:
  enum class Kind { GroupBox, Label, EditBox, Button, ListView, StatusBar, ProgressBar };

  Control(Kind kind, Text name, Text caption, Rect place, Control* parent = nullptr,
          bool visible = true);
  virtual ~Control() = default;
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  Kind kind() const { return kind_; }
  // The control's name in the code (GBK), e.g. "按钮_开始任务".
  const Text& name() const { return name_; }
  Control* parent() const;
  void SetParent(Control* parent);

  Rect place() const;
  void SetPlace(Rect place);
  bool visible() const;
  bool enabled() const;
  void SetEnabled(bool enabled);
  // Caption of a label, button or group box; the text of an edit box.
  Text caption() const;

  // Attaches the view; nullptr detaches it. Set before other threads start.
  void SetObserver(ControlObserver* observer) { observer_ = observer; }

 protected:
  // Call after a change, with the lock released.
  void Changed();
  void SetCaptionLocked(Text caption) { caption_ = std::move(caption); }
  mutable std::mutex mutex_;

 private:
  const Kind kind_;
  const Text name_;
  Text caption_;
  Rect place_;
  Control* parent_;
  bool visible_;
  bool enabled_ = true;
  ControlObserver* observer_ = nullptr;
};

class Label : public Control {
 public:
  Label(Text name, Text caption, Rect place, Control* parent = nullptr, bool visible = true)
      : Control(Kind::Label, std::move(name), std::move(caption), place, parent, visible) {}
};

class GroupBox : public Control {
 public:
  GroupBox(Text name, Text caption, Rect place)
      : Control(Kind::GroupBox, std::move(name), std::move(caption), place) {}
};

class Button : public Control {
 public:
  Button(Text name, Text caption, Rect place, Control* parent = nullptr, bool visible = true)
      : Control(Kind::Button, std::move(name), std::move(caption), place, parent, visible) {}

  // A click, by the user or a test: runs the handler when the button is
  // enabled. The handler runs on the calling thread.
  void Click();
  std::function<void()> onClicked;
};

class EditBox : public Control {
 public:
  EditBox(Text name, Text text, Rect place, Control* parent = nullptr)
      : Control(Kind::EditBox, std::move(name), std::move(text), place, parent) {}

  Text text() const { return caption(); }
  // Sets the text, by the program or by the user's edit; either way the
  // change event is raised exactly once, on the calling thread.
  void SetText(const Text& text);
  std::function<void()> onChanged;
};
