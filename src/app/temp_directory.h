#pragma once

#include "app/app_context.h"

// Deletes every file directly inside the segment directory; subdirectories
// stay, a missing directory is left missing. Window thread, at start-up.
void ClearTempDirectory(AppContext& context);
