#include "tasks/task_status.h"

bool IsResumableStatus(const Text& status) {
  using namespace task_status;
  return status == kWaiting || status == kDownloading || status == kDownloadFailed ||
         status == kMergeFailed;
}

bool IsDeletableStatus(const Text& status) {
  using namespace task_status;
  return status == kWaiting || status == kFinished || status == kDownloadFailed ||
         status == kMergeFailed || status == kTranscodeFailed || status == kAuthorisationFailed ||
         status == kDataInvalid || status == kAddressWrong;
}
