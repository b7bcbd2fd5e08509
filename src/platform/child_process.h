#pragma once

#include <sys/types.h>

#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

#include "platform/text.h"

// How a child process ended.
struct ExitStatus {
  bool signalled = false;  // ended by a signal rather than by exiting
  int code = -1;           // exit code when !signalled
  int signal = 0;          // the signal when signalled

  bool Succeeded() const { return !signalled && code == 0; }
};

// One read from the child's output.
struct OutputRead {
  enum class Kind {
    kData,      // `bytes` holds what was read (never empty)
    kTimedOut,  // nothing arrived within the wait
    kEnded,     // every writer has closed the pipe; nothing more will come
  };
  Kind kind = Kind::kEnded;
  std::string bytes;
};

// A program started from a command line, with its standard output and
// standard error on one pipe that this object reads.
//
// The line is split by the rules of SplitCommandLine, each argument turned
// from GBK into UTF-8, and the program started directly (no shell); a name
// without "/" is looked up in PATH. The child gets /dev/null as standard
// input, so it never reads the terminal or waits for keys, and its own
// session, so it has no controlling terminal and the terminal's signals
// (Ctrl-C) do not reach it. It inherits no other descriptor of this process,
// the environment and the current directory.
//
// Threads: Start, Read, ReadUntilExit, HasExited and Wait belong to one owner
// thread. Terminate may be called from any thread at any time, also while the
// owner is reading or waiting. The process is never reaped behind the back of
// Terminate, so it can never signal an unrelated process that got the same
// process id.
class ChildProcess {
 public:
  ChildProcess() = default;
  // A child still running is ended (SIGKILL) and reaped, so none outlives
  // its owner unnoticed and none is left as a zombie.
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Starts the program of the command line. False when the line names no
  // program, the program cannot be executed (missing, not executable), or
  // this object has started a child already; nothing is running then.
  bool Start(const Text& commandLine);

  // Waits up to `timeoutMilliseconds` for output, then reads at most
  // `maxBytes` (at least 1) of what waits. The wait blocks on the pipe; it
  // never spins. Without a started child the result is kEnded.
  OutputRead Read(size_t maxBytes, int timeoutMilliseconds);

  // Reads the output in reads of at most `maxBytes`, handing each to
  // `onChunk` as it arrives, until the child has exited and nothing waits on
  // the pipe, then reaps the child. The pipe's end is not awaited: a
  // grandchild that keeps the pipe open does not hold this up. While the
  // child is silent the loop sleeps on the pipe for `pollMilliseconds` at a
  // time. Without a started child it returns a failed status at once.
  ExitStatus ReadUntilExit(size_t maxBytes, const std::function<void(std::string_view)>& onChunk,
                           int pollMilliseconds = 100);

  // True once the child has ended (and then it is reaped). Does not block.
  bool HasExited();

  // Blocks until the child has ended and reaps it; later calls give the same
  // status. Without a started child: code -1, not signalled.
  ExitStatus Wait();

  // Ends this child at once (SIGKILL), as closing the window requires. Only
  // the process this object started is touched. True when the signal was
  // sent; false when there is no child or it has already been reaped.
  bool Terminate();

  // Process id of the child; 0 before Start.
  pid_t pid() const { return pid_; }

 private:
  bool TryReap();  // under mutex_

  pid_t pid_ = 0;
  int readFd_ = -1;
  std::mutex mutex_;  // guards reaped_ and status_ against Terminate
  bool reaped_ = false;
  ExitStatus status_;
};
