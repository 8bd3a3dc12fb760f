#include "mcp/mcp_server.h"

#include <algorithm>
#include <chrono>
#include <new>

#include "config/errors.h"

namespace viv {

const char* const ProtocolVersions[4] = {"2025-11-25", "2025-06-18", "2025-03-26", "2024-11-05"};

namespace {

// JSON-RPC's codes.
constexpr int InvalidRequest = -32600, MethodNotFound = -32601, InvalidParams = -32602, InternalError = -32603;
constexpr int ResourceNotFound = -32002;  // MCP's

bool ValidId(const TJson& id) { return id.is_string() || id.is_number_integer() || id.is_number_unsigned(); }

TJson TextContent(const std::string& text) { return {{"type", "text"}, {"text", text}}; }

}  // namespace

TMcpServer::TMcpServer(TServerOptions options, TMessageChannel& channel)
    : options_(std::move(options)), channel_(channel), worlds_(options_.MostWorlds) {
  places_ = {options_.SettingsFile, options_.AnimalsFolder};
  AddWorldTools(tools_);
  AddLookTools(tools_);
  AddChangeTools(tools_);
  AddPictureTools(tools_);
}

int TMcpServer::Serve() {
  channel_.Start([this](const TJson& message) { return Intercept(message); });
  while (std::optional<TJson> message = channel_.Next()) Serve(*message);
  return 0;
}

bool TMcpServer::Intercept(const TJson& message) {
  if (!message.is_object() || message.value("method", TJson()) != "notifications/cancelled") return false;
  const TJson params = message.value("params", TJson::object());
  if (params.is_object() && params.contains("requestId")) {
    const std::lock_guard<std::mutex> hold(currentMutex_);
    if (!current_.is_null() && params["requestId"] == current_) cancelled_ = true;
  }
  return true;
}

void TMcpServer::Serve(const TJson& message) {
  if (message.is_array()) {
    channel_.SendError(nullptr, InvalidRequest,
                       "Invalid Request: batches of messages are not taken; send one at a time");
    return;
  }
  if (!message.is_object()) {
    channel_.SendError(nullptr, InvalidRequest, "Invalid Request: a message is a JSON object");
    return;
  }
  const TJson id = message.contains("id") ? message["id"] : TJson();
  const bool request = message.contains("id");
  if (!message.contains("method")) return;  // an answer to a request of ours: the server sends none
  if (message.value("jsonrpc", TJson()) != "2.0" || !message["method"].is_string() || (request && !ValidId(id))) {
    if (request)
      channel_.SendError(ValidId(id) ? id : TJson(), InvalidRequest, "Invalid Request: not a JSON-RPC 2.0 request");
    return;
  }
  const std::string method = message["method"];
  const TJson params = message.contains("params") ? message["params"] : TJson::object();
  if (!request) return;  // notifications: initialized, and any other the server has nothing to do for
  {
    const std::lock_guard<std::mutex> hold(currentMutex_);
    current_ = id;
    cancelled_ = false;
  }
  TJson reply = {{"jsonrpc", "2.0"}, {"id", id}};
  try {
    if (!params.is_object()) throw ERpc{InvalidParams, "Invalid params: params must be an object"};
    reply["result"] = Answer(method, params);
  } catch (const ERpc& e) {
    reply["error"] = {{"code", e.Code}, {"message", e.Message}};
  } catch (const std::exception& e) {
    reply["error"] = {{"code", InternalError}, {"message", std::string("Internal error: ") + e.what()}};
  }
  bool cancelled = false;
  {
    const std::lock_guard<std::mutex> hold(currentMutex_);
    current_ = TJson();
    cancelled = cancelled_;
  }
  if (!cancelled) channel_.Send(reply);  // a cancelled request gets no answer
}

TJson TMcpServer::Answer(const std::string& method, const TJson& params) {
  if (method == "initialize") return Initialize(params);
  if (method == "ping") return TJson::object();
  if (method == "tools/list") return ListTools();
  if (method == "tools/call") return CallTool(params);
  if (method == "resources/list") return ListResources(places_);
  if (method == "resources/templates/list") return {{"resourceTemplates", TJson::array()}};
  if (method == "resources/read") {
    if (!params.contains("uri") || !params["uri"].is_string())
      throw ERpc{InvalidParams, "Invalid params: uri must be a text"};
    std::optional<TJson> contents = ReadResource(places_, params["uri"]);
    if (!contents) throw ERpc{ResourceNotFound, "Resource not found: " + params["uri"].get<std::string>()};
    return *contents;
  }
  throw ERpc{MethodNotFound, "Method not found: " + method};
}

TJson TMcpServer::Initialize(const TJson& params) const {
  // The client's revision when the server speaks it, else the newest the server speaks.
  std::string version = ProtocolVersions[0];
  if (params.contains("protocolVersion") && params["protocolVersion"].is_string())
    for (const char* known : ProtocolVersions)
      if (params["protocolVersion"] == known) version = known;
  return {{"protocolVersion", version},
          {"capabilities",
           {{"tools", {{"listChanged", false}}}, {"resources", {{"listChanged", false}, {"subscribe", false}}}}},
          {"serverInfo", {{"name", "vivarion-mcp"}, {"title", "Vivarion"}, {"version", VIVARION_VERSION}}},
          {"instructions",
           "Vivarion's artificial-life worlds, held by name. Make one with new_world (or load_world), run it, look "
           "with figures, report, creatures, taxa, picture and chart; rewind, branch and compare to test what-ifs. "
           "Worlds are exact: a seed and settings give the same world as vivarion-cli, hash for hash. The resource "
           "vivarion://settings lists the settings keys."}};
}

TJson TMcpServer::ListTools() const {
  TJson list = TJson::array();
  for (const TTool& tool : tools_)
    list.push_back({{"name", tool.Name}, {"description", tool.Description}, {"inputSchema", tool.Schema}});
  return {{"tools", list}};
}

TJson TMcpServer::CallTool(const TJson& params) {
  if (!params.contains("name") || !params["name"].is_string())
    throw ERpc{InvalidParams, "Invalid params: name must be a text"};
  const std::string name = params["name"];
  const auto tool = std::find_if(tools_.begin(), tools_.end(), [&](const TTool& t) { return t.Name == name; });
  if (tool == tools_.end()) throw ERpc{InvalidParams, "Unknown tool: " + name};
  const TJson arguments = params.contains("arguments") ? params["arguments"] : TJson::object();
  TJson token;
  if (params.contains("_meta") && params["_meta"].is_object() && params["_meta"].contains("progressToken"))
    token = params["_meta"]["progressToken"];
  double told = -1;
  TCall call{
      worlds_,
      [&](double done, double total, const std::string& message) {
        if (token.is_null() || done <= told) return;  // progress only rises
        told = done;
        channel_.Send(
            {{"jsonrpc", "2.0"},
             {"method", "notifications/progress"},
             {"params", {{"progressToken", token}, {"progress", done}, {"total", total}, {"message", message}}}});
      },
      [this] { return cancelled_.load(); },
      std::chrono::steady_clock::now() + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                             std::chrono::duration<double>(options_.CallSeconds)),
      options_.CallSeconds,
      options_.SettingsFile};
  TToolResult result;
  try {
    CheckArguments(name, tool->Schema, arguments);
    result = tool->Work(arguments, call);
  } catch (const std::bad_alloc&) {
    return {
        {"content", TJson::array({TextContent(name + ": out of memory; the world may be too large for this machine")})},
        {"isError", true}};
  } catch (const std::exception& e) {
    return {{"content", TJson::array({TextContent(e.what())})}, {"isError", true}};
  }
  TJson content = TJson::array({TextContent(result.Structured.dump(1, ' ', false, TJson::error_handler_t::replace))});
  for (TJson& picture : result.Pictures) content.push_back(std::move(picture));
  return {{"content", content}, {"structuredContent", result.Structured}, {"isError", false}};
}

}  // namespace viv
