#pragma once

#include "app/app_context.h"

// The four settings boxes persist in data/config.ini, section "软件设置".

// Window thread, once at start: makes sure the data directory and the
// settings file exist (a default one is written when missing), reads the
// four keys, then fills the four boxes, each fill raising its change event.
void LoadSettings(AppContext& context);

// Handler of the change event of the four settings boxes: writes all four
// keys from the boxes' current texts. Failures are not reported.
void SaveSettings(AppContext& context);

// The bytes of the default settings file for a given default save directory
// (which ends in "/").
std::string DefaultSettingsFile(const Text& saveDirectory);

// The default save directory: the user's home directory from the account
// database, followed by "/视频下载/".
Text DefaultSaveDirectory();
