#pragma once

#include "app/app_context.h"

// Handler of "批量改名": renames every file found by the save directory
// box's text followed by "*.*" to "#1.mp4", "#2.mp4", … in the order the
// file system lists them. All names are collected before the first rename;
// directories are skipped; a rename never replaces an existing file (the
// file then keeps its name). Reports nothing. Window thread.
void BatchRename(AppContext& context);
