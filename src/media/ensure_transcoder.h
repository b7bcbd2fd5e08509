#pragma once

#include "app/app_context.h"

// Once per start, on the window thread: checks that data/M3U8.exe has the
// expected size and otherwise offers to install it from the transcoder
// source. "安装成功！" only when the installed file has the expected size
// (it is then made executable); otherwise the wrong file is removed and
// "安装失败！" shown. Returns 0 when the user declines, 1 otherwise.
int EnsureTranscoder(AppContext& context);
