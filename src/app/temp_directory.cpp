#include "app/temp_directory.h"

#include "platform/files.h"

void ClearTempDirectory(AppContext& context) {
  const Text directory = context.TempDirectory();
  for (const Text& name : FindFiles(directory + "*.*")) {
    DeleteFileAt(directory + name);
    context.desktop.ProcessPendingEvents();
  }
}
