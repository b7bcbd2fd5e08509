#pragma once

#include <vector>

#include "platform/text.h"

// The segment directory keeps the files of one task at a time: "tmp_" + row
// holds the segment of that row. A record beside them ("tmp_owner") names
// the task and the address of every row, so that files of another task, or
// of another address in the same row, never stand for a segment of this one.

// Name of the segment file of a row, and of the temporary file a download
// writes before it is complete.
Text SegmentFileName(int row);
Text SegmentPartName(int row);

// Makes the directory ready for a task: creates it when missing; removes
// segment files that belong to another task, or to another address in the
// same row, and every unfinished temporary file; then records the task and
// its addresses. Files of the same task with the same address are kept, so
// a resumed task fetches only its missing rows. `directory` ends in "/".
// Returns false when the record could not be written (the files are then
// all removed, as nothing vouches for them).
bool PrepareSegmentDirectory(const Text& directory, const Text& taskKey,
                             const std::vector<Text>& addresses);
