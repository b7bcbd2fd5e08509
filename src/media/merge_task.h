#pragma once

#include "app/app_context.h"

// Joining a task's segments and handing the result to the transcoder. All
// run on the task-runner thread, after the download of the task ended.

// Joins the segment files of the download list, in row order, into the
// task's save directory + file name + ".mp4", deletes the segment files and
// has the transcoder rewrite the joined file as MP4; "任务完成" when all
// went well. With no segments it says "不可以合并"; a merged file that cannot
// be written leaves "合并失败" and keeps every segment file.
void MergeTask(AppContext& context, ListView::RowId task);

// The join itself and what follows it; `name` is file name + ".mp4".
void ConcatenateSegments(AppContext& context, const Text& name, ListView::RowId task);

// Shows "删除临时文件" and deletes segment files 0 … N−1 of the download list.
void DeleteSegmentFiles(AppContext& context, ListView::RowId task);
