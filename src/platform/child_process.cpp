#include "platform/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/command_line.h"

namespace {

ExitStatus StatusFromWait(int waitStatus) {
  ExitStatus status;
  if (WIFSIGNALED(waitStatus)) {
    status.signalled = true;
    status.signal = WTERMSIG(waitStatus);
  } else if (WIFEXITED(waitStatus)) {
    status.code = WEXITSTATUS(waitStatus);
  }
  return status;
}

// Spawn settings for the child: /dev/null as input, the pipe as output and
// error, nothing else inherited, its own session, default signal handling.
class SpawnSetup {
 public:
  explicit SpawnSetup(int writeFd) {
    posix_spawn_file_actions_init(&actions_);
    posix_spawn_file_actions_addopen(&actions_, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions_, writeFd, 1);
    posix_spawn_file_actions_adddup2(&actions_, writeFd, 2);
    // Descriptors opened elsewhere without close-on-exec (by other threads
    // or libraries) must not leak into the child either.
    posix_spawn_file_actions_addclosefrom_np(&actions_, 3);

    posix_spawnattr_init(&attributes_);
    // Signals this process ignores or blocks (SIGPIPE, say) would otherwise
    // stay ignored or blocked in the child.
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes_, &none);
    sigset_t all;
    sigfillset(&all);
    posix_spawnattr_setsigdefault(&attributes_, &all);
    posix_spawnattr_setflags(&attributes_,
                             POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  }
  ~SpawnSetup() {
    posix_spawnattr_destroy(&attributes_);
    posix_spawn_file_actions_destroy(&actions_);
  }
  SpawnSetup(const SpawnSetup&) = delete;
  SpawnSetup& operator=(const SpawnSetup&) = delete;

  const posix_spawn_file_actions_t* actions() const { return &actions_; }
  const posix_spawnattr_t* attributes() const { return &attributes_; }

 private:
  posix_spawn_file_actions_t actions_;
  posix_spawnattr_t attributes_;
};

}  // namespace

ChildProcess::~ChildProcess() {
  if (readFd_ >= 0) ::close(readFd_);
  if (pid_ == 0) return;
  bool reaped;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    reaped = reaped_;
    if (!reaped) ::kill(pid_, SIGKILL);
  }
  if (!reaped) Wait();
}

bool ChildProcess::Start(const Text& commandLine) {
  if (pid_ != 0) return false;
  std::vector<Text> arguments = SplitCommandLine(commandLine);
  if (arguments.empty() || arguments[0].empty()) return false;
  std::vector<std::string> osArguments;
  osArguments.reserve(arguments.size());
  for (const Text& argument : arguments) osArguments.push_back(ToUtf8(argument));
  std::vector<char*> argv;
  for (std::string& argument : osArguments) argv.push_back(argument.data());
  argv.push_back(nullptr);

  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return false;
  pid_t pid = 0;
  int error;
  {
    SpawnSetup setup(fds[1]);
    // posix_spawnp reports a failed exec (missing program, no permission)
    // as its result, so a program that cannot run is known here.
    error =
        ::posix_spawnp(&pid, argv[0], setup.actions(), setup.attributes(), argv.data(), environ);
  }
  // Only the child may hold the write end, so that the pipe ends with it.
  ::close(fds[1]);
  if (error != 0) {
    ::close(fds[0]);
    return false;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  pid_ = pid;
  readFd_ = fds[0];
  return true;
}

OutputRead ChildProcess::Read(size_t maxBytes, int timeoutMilliseconds) {
  OutputRead result;
  if (readFd_ < 0) return result;
  pollfd waiting{readFd_, POLLIN, 0};
  int ready = ::poll(&waiting, 1, timeoutMilliseconds);
  if (ready == 0 || (ready < 0 && errno == EINTR)) {
    result.kind = OutputRead::Kind::kTimedOut;
    return result;
  }
  if (ready > 0) {
    result.bytes.resize(maxBytes > 0 ? maxBytes : 1);
    ssize_t got = ::read(readFd_, result.bytes.data(), result.bytes.size());
    if (got > 0) {
      result.bytes.resize(static_cast<size_t>(got));
      result.kind = OutputRead::Kind::kData;
      return result;
    }
    if (got < 0 && errno == EINTR) {
      result.bytes.clear();
      result.kind = OutputRead::Kind::kTimedOut;
      return result;
    }
  }
  // End of the output, or a pipe that cannot be read any more.
  ::close(readFd_);
  readFd_ = -1;
  result.bytes.clear();
  return result;
}

ExitStatus ChildProcess::ReadUntilExit(size_t maxBytes,
                                       const std::function<void(std::string_view)>& onChunk,
                                       int pollMilliseconds) {
  if (pid_ == 0) return ExitStatus{};
  for (;;) {
    OutputRead read = Read(maxBytes, pollMilliseconds);
    if (read.kind == OutputRead::Kind::kData) {
      onChunk(read.bytes);
      continue;
    }
    if (read.kind == OutputRead::Kind::kEnded) break;
    if (HasExited()) {
      // The child may have written its last words after the wait timed out.
      for (read = Read(maxBytes, 0); read.kind == OutputRead::Kind::kData; read = Read(maxBytes, 0))
        onChunk(read.bytes);
      break;
    }
  }
  return Wait();
}

bool ChildProcess::TryReap() {
  if (reaped_) return true;
  int waitStatus = 0;
  pid_t got = ::waitpid(pid_, &waitStatus, WNOHANG);
  if (got == pid_) {
    status_ = StatusFromWait(waitStatus);
    reaped_ = true;
  } else if (got < 0 && errno == ECHILD) {
    // Reaped elsewhere (SIGCHLD ignored): it is gone, how it ended unknown.
    reaped_ = true;
  }
  return reaped_;
}

bool ChildProcess::HasExited() {
  if (pid_ == 0) return false;
  std::lock_guard<std::mutex> lock(mutex_);
  return TryReap();
}

ExitStatus ChildProcess::Wait() {
  if (pid_ == 0) return ExitStatus{};
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (reaped_) return status_;
  }
  // Wait without reaping: the ended child keeps its process id until it is
  // reaped under the lock, so Terminate can never hit a successor.
  siginfo_t info;
  while (::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOWAIT) != 0 &&
         errno == EINTR) {
  }
  std::lock_guard<std::mutex> lock(mutex_);
  TryReap();
  return status_;
}

bool ChildProcess::Terminate() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (pid_ == 0 || reaped_) return false;
  return ::kill(pid_, SIGKILL) == 0;
}
