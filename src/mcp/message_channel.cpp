#include "mcp/message_channel.h"

#include <unistd.h>

#include <cerrno>

namespace viv {

TMessageChannel::TMessageChannel(int in, int out, size_t mostBytes) : in_(in), out_(out), most_(mostBytes) {}

TMessageChannel::~TMessageChannel() {
  if (!reader_.joinable()) return;
  bool ended = false;
  {
    const std::lock_guard<std::mutex> hold(queueMutex_);
    ended = ended_;
  }
  // At the end of input the reader has finished; a server that stops before that leaves it
  // blocked in read(), and the process's exit ends it.
  if (ended) reader_.join();
  else reader_.detach();
}

void TMessageChannel::Start(std::function<bool(const TJson&)> intercept) {
  intercept_ = std::move(intercept);
  reader_ = std::thread([this] { Read(); });
}

void TMessageChannel::Read() {
  std::string line;
  bool skipping = false;  // the rest of a line too long to take
  char buffer[65536];
  for (;;) {
    const ssize_t n = read(in_, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    for (ssize_t k = 0; k < n; ++k) {
      const char c = buffer[k];
      if (c == '\n') {
        if (!skipping) Take(line);
        line.clear();
        skipping = false;
      } else if (!skipping) {
        if (line.size() >= most_) {
          SendError(nullptr, -32700, "Parse error: a message longer than " + std::to_string(most_) + " bytes");
          line.clear();
          skipping = true;
        } else {
          line += c;
        }
      }
    }
  }
  if (!skipping) Take(line);
  const std::lock_guard<std::mutex> hold(queueMutex_);
  ended_ = true;
  arrived_.notify_all();
}

void TMessageChannel::Take(const std::string& line) {
  if (line.find_first_not_of(" \t\r") == std::string::npos) return;
  TJson message = TJson::parse(line, nullptr, false);
  if (message.is_discarded()) {
    SendError(nullptr, -32700, "Parse error: the line is not JSON");
    return;
  }
  if (intercept_ && intercept_(message)) return;
  const std::lock_guard<std::mutex> hold(queueMutex_);
  queue_.push_back(std::move(message));
  arrived_.notify_all();
}

std::optional<TJson> TMessageChannel::Next() {
  std::unique_lock<std::mutex> hold(queueMutex_);
  arrived_.wait(hold, [&] { return !queue_.empty() || ended_; });
  if (queue_.empty()) return std::nullopt;
  TJson message = std::move(queue_.front());
  queue_.pop_front();
  return message;
}

void TMessageChannel::Send(const TJson& message) {
  // Text that is not UTF-8 (a file name, say) is replaced rather than thrown on.
  std::string text = message.dump(-1, ' ', false, TJson::error_handler_t::replace);
  text += '\n';
  const std::lock_guard<std::mutex> hold(sendMutex_);
  for (size_t done = 0; done < text.size();) {
    const ssize_t n = write(out_, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;  // the client has gone: nothing more can reach it
    done += static_cast<size_t>(n);
  }
}

void TMessageChannel::SendError(const TJson& id, int code, const std::string& message) {
  Send({{"jsonrpc", "2.0"}, {"id", id}, {"error", {{"code", code}, {"message", message}}}});
}

}  // namespace viv
