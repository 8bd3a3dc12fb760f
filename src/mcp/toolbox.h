#pragma once
// The tools the agents' server offers: each a name, a line an agent can act on, the JSON Schema
// of its arguments, and what it does. A tool's fault (a bad argument, an unknown world, a file
// that cannot be read) is thrown as ETool or EVivarion and reaches the client as a tool error.
#include <nlohmann/json.hpp>

#include <chrono>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace viv {

using TJson = nlohmann::json;

struct ETool : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class TWorldShelf;

// What a tool's work can ask of the call it serves.
struct TCall {
  TWorldShelf& Worlds;
  // Progress for the client, when it asked for it (a no-op otherwise); at most a few a second.
  std::function<void(double done, double total, const std::string& message)> Progress;
  // Whether the client cancelled the call.
  std::function<bool()> Cancelled;
  // When the call must give back what it has (the server's bound, or less when the call asks).
  std::chrono::steady_clock::time_point Deadline;
  double BoundSeconds = 0;  // the bound that sets Deadline, for messages
  // Settings and population the programs would use when the arguments name none.
  std::string DefaultSettingsFile;
};

// A tool's answer: the structured result (sent as text too), and pictures beside it.
struct TToolResult {
  TJson Structured = TJson::object();
  std::vector<TJson> Pictures;  // MCP image contents
};

struct TTool {
  std::string Name, Description;
  TJson Schema;  // of the arguments: an object's properties, what is required
  std::function<TToolResult(const TJson& arguments, TCall& call)> Work;
};

using TToolbox = std::vector<TTool>;

// The tools by subject; each adds its own to the box.
void AddWorldTools(TToolbox& box);    // new, load, save, close, list; run, rewind, branch, compare
void AddLookTools(TToolbox& box);     // figures, report, creatures, creature, taxa
void AddChangeTools(TToolbox& box);   // set_settings, put_animal, cull
void AddPictureTools(TToolbox& box);  // picture, chart, run_study

// Checks arguments against a tool's schema (the subset the tools use: types, required names,
// minimum and maximum, enum, no names the schema lacks); throws ETool naming the first fault.
void CheckArguments(const std::string& tool, const TJson& schema, const TJson& arguments);

// Schema helpers for the tools' tables.
TJson ObjectSchema(TJson properties, const std::vector<std::string>& required = {});
TJson WholeSchema(const std::string& description, double minimum, double maximum);
TJson NumberSchema(const std::string& description);
TJson TextSchema(const std::string& description);
TJson FlagSchema(const std::string& description);
// A world's name, and settings keys with their values (an object of numbers).
TJson WorldNameSchema();
TJson KeysSchema(const std::string& description);

// A world name argument ("name" unless said).
std::string WorldName(const TJson& arguments, const char* key = "name");

}  // namespace viv

namespace viv {

class TServedWorld;
struct TRunReport;
class TSettings;

// What the tools share.
// The rules a call asks for: the settings file named by "settings" (else base when given, else
// the programs' default file), with the values of "keys" put over it; an unknown key or a value
// out of range is refused, naming it.
TSettings RulesFrom(const TJson& arguments, const TCall& call, const TSettings* base);
// The status line's figures of a world and its hash, as the runner prints them.
TJson FiguresOf(const TServedWorld& world);
// A report's rows (the --stats and --evolution columns) as one object, numbers as numbers.
TJson ReportOf(const TRunReport& report);
// A file to read: it must be a regular file (a device, a pipe or a folder is refused before it
// is opened, so that nothing blocks); what: "a world file".
void CheckInputFile(const std::string& path, const std::string& what);
// A file to write: an existing one only with overwrite, and never anything but a regular file.
void CheckOutputFile(const std::string& path, bool overwrite);
// Text as it goes into a message (control characters shown as '?').
std::string Shown(const std::string& text);

}  // namespace viv
