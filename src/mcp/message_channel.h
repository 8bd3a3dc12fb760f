#pragma once
// The server's line to its client: JSON-RPC messages, one per line, read on a thread of their
// own (so that a cancellation is heard while a call runs) and written whole, one at a time, to
// the protocol's output.
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

#include "mcp/toolbox.h"

namespace viv {

class TMessageChannel {
 public:
  // Reads from the file descriptor in, writes to out; a message longer than mostBytes is
  // answered with a parse error and skipped.
  TMessageChannel(int in, int out, size_t mostBytes);
  ~TMessageChannel();
  TMessageChannel(const TMessageChannel&) = delete;
  TMessageChannel& operator=(const TMessageChannel&) = delete;

  // Starts reading. intercept sees each message on the reading thread first and returns true
  // when it has dealt with it (it is then not queued).
  void Start(std::function<bool(const TJson&)> intercept);
  // The next message, or nullopt once the input has ended and every message was taken.
  std::optional<TJson> Next();
  // Writes a message as one line; callable from any thread.
  void Send(const TJson& message);
  // A JSON-RPC error answer.
  void SendError(const TJson& id, int code, const std::string& message);

 private:
  int in_, out_;
  size_t most_;
  std::function<bool(const TJson&)> intercept_;
  std::thread reader_;
  std::mutex queueMutex_, sendMutex_;
  std::condition_variable arrived_;
  std::deque<TJson> queue_;
  bool ended_ = false;
  void Read();
  void Take(const std::string& line);
};

}  // namespace viv
