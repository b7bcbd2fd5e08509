#include "app/batch_rename.h"

#include <vector>

#include "platform/files.h"

void BatchRename(AppContext& context) {
  const Text directory = context.window.编辑框_保存位置.text();
  std::vector<Text> names;
  for (Text& name : FindFiles(directory + "*.*")) {
    names.push_back(std::move(name));
    context.desktop.ProcessPendingEvents();
  }
  for (size_t i = 0; i < names.size(); ++i) {
    RenameNoReplace(directory + names[i], directory + "#" + DecimalText(i + 1) + ".mp4");
    context.desktop.ProcessPendingEvents();
  }
}
