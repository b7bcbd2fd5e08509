#pragma once

#include "app/app_context.h"

// Commands on the two lists and the save directory, and the status display.
// All run on the window thread.

// Right-click on the task list: pops up the menu "右键" when a row is selected.
void ShowTaskMenu(AppContext& context);
// "复制地址" and a double-click on the task list: the selected task's number
// (cell 0) goes to the clipboard.
void CopyTaskNumber(AppContext& context);
// Double-click on the download list: the selected segment's address.
void CopySegmentAddress(AppContext& context);
// "删除任务": removes the selected task when nobody works on it; otherwise
// says that only finished or waiting tasks can be deleted.
void DeleteTask(AppContext& context);
// "...": the folder browser; the chosen path, with a final "/", becomes the
// save directory (and so is saved).
void ChooseSaveDirectory(AppContext& context);
// "查看": opens the save directory with the desktop's default action.
void OpenSaveDirectory(AppContext& context);
// The timer's tick: progress bar and the first two status-bar panels.
void RefreshStatus(AppContext& context);

// Progress in whole percent of `done` out of `total`, halves rounded away
// from zero; 0 when there is nothing.
int ProgressPercent(int done, int total);
