#pragma once

#include <functional>
#include <vector>

#include "platform/text.h"

// A pop-up menu: its items in order, each with the handler of its selection.
struct Menu {
  struct Item {
    Text caption;
    std::function<void()> onSelected;
  };
  Text name;
  std::vector<Item> items;

  // The user picked item `index` (on the window thread); out of range: nothing.
  void Select(int index) {
    if (index >= 0 && index < static_cast<int>(items.size()) && items[index].onSelected)
      items[index].onSelected();
  }
};
