#pragma once

#include "app/app_context.h"

// Joins the segment files of the download list, in row order, into the
// task's save directory + file name + ".mp4", deletes the segment files and
// has the transcoder rewrite the joined file as MP4. Task-runner thread.
void MergeTask(AppContext& context, ListView::RowId task);
