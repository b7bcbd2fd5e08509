#pragma once

#include "platform/text.h"

// The status words of a task (its column "状态"), and of a segment.
namespace task_status {
inline const Text kWaiting = "";
inline const Text kAnalysing = "正在分析";
inline const Text kUrlDead = "网址失效";
inline const Text kDownloading = "开始下载";
inline const Text kDownloadFailed = "下载失败";
inline const Text kMerging = "开始合并";
inline const Text kMergeFailed = "合并失败";
inline const Text kDeletingTemp = "删除临时文件";
inline const Text kTranscodeStarting = "开始转码";
inline const Text kTranscoding = "正在转码";
inline const Text kTranscodeDone = "转码完成";
inline const Text kTranscodeFailed = "转码失败";
inline const Text kAuthorisationFailed = "授权失败";
inline const Text kDataInvalid = "数据无效";
inline const Text kAddressWrong = "地址错误";
inline const Text kFinished = "任务完成";
}  // namespace task_status

namespace segment_status {
inline const Text kDone = "下载成功";
inline const Text kNoAddress = "解析失败";
inline const Text kFailed = "下载失败";
}  // namespace segment_status

// A task the runner takes up: waiting, or one whose download or merge
// stopped short, which resumes where it stopped.
bool IsResumableStatus(const Text& status);

// A task the user may delete: one not being worked on.
bool IsDeletableStatus(const Text& status);
