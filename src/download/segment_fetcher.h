#pragma once

#include <cstdint>

#include "app/app_context.h"

// Downloads the segment of one download-list row into its file
// "tmp_" + row in the segment directory, and marks the row: "下载成功" once
// the file is in place (also when it was there already), "解析失败" for a row
// without address, "下载失败" when the request did not deliver the whole
// body with a success status. A failed segment writes no file and does not
// count. Connection errors, time-outs, 429 and 5xx are tried twice more.
// Runs on the pool's worker threads, many rows at once.
void FetchSegment(AppContext& context, int row);

// The same as a work item of the worker pool: `row` is the row index and
// `context` the address of the AppContext.
void FetchSegmentItem(std::intptr_t row, std::intptr_t context);

// How many times a segment request is made at most, and the pause before
// the n-th retry (n × this).
inline constexpr int kSegmentAttempts = 3;
inline constexpr int kSegmentRetryPauseMs = 250;
