#pragma once
// The Model Context Protocol over a message channel: the lifecycle (initialize, ping), the
// tools (tools/list, tools/call with progress and cancellation) and the resources. Requests
// are served one at a time, in order; a cancellation is heard while a call runs.
#include <atomic>
#include <mutex>
#include <string>

#include "mcp/message_channel.h"
#include "mcp/resources.h"
#include "mcp/served_world.h"
#include "mcp/toolbox.h"

namespace viv {

struct TServerOptions {
  size_t MostWorlds = 16;
  double CallSeconds = 600;  // the most wall time of one call
  std::string SettingsFile;  // the default settings file (found as the runner finds it)
  std::string AnimalsFolder;
};

// The protocol revisions the server speaks, newest first.
extern const char* const ProtocolVersions[4];

class TMcpServer {
 public:
  TMcpServer(TServerOptions options, TMessageChannel& channel);
  // Serves until the input ends. Returns the exit status (0).
  int Serve();

 private:
  struct ERpc {
    int Code;
    std::string Message;
  };
  TServerOptions options_;
  TMessageChannel& channel_;
  TToolbox tools_;
  TWorldShelf worlds_;
  TResourcePlaces places_;
  // The request being served and whether its client cancelled it (set by the reading thread).
  std::mutex currentMutex_;
  TJson current_;
  std::atomic<bool> cancelled_{false};

  bool Intercept(const TJson& message);
  void Serve(const TJson& message);
  TJson Answer(const std::string& method, const TJson& params);
  TJson Initialize(const TJson& params) const;
  TJson ListTools() const;
  TJson CallTool(const TJson& params);
};

}  // namespace viv
