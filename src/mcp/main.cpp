// vivarion-mcp: Vivarion's worlds for agents, over the Model Context Protocol on standard input
// and output.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <climits>
#include <clocale>
#include <csignal>
#include <iostream>

#include "config/data_files.h"
#include "config/thread_pool.h"
#include "mcp/mcp_server.h"

namespace {

// The folder of the running program, with a trailing "/".
std::string ProgramFolder() {
  char path[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return "./";
  std::string folder(path, static_cast<size_t>(n));
  return folder.substr(0, folder.find_last_of('/') + 1);
}

}  // namespace

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  viv::TServerOptions options;
  int32_t threads = 0;
  CLI::App app{
      "vivarion-mcp serves Vivarion's worlds to agents over the Model Context Protocol: JSON-RPC 2.0\n"
      "messages, one per line, on standard input and output (the stdio transport). A client starts it\n"
      "and calls its tools: new_world, load_world, save_world, close_world, list_worlds, run, figures,\n"
      "report, creatures, creature, taxa, set_settings, put_animal, cull, rewind, branch, compare,\n"
      "picture, chart, run_study. Nothing but protocol messages goes to standard output; notes go to\n"
      "standard error.",
      "vivarion-mcp"};
  app.set_version_flag("--version", "vivarion-mcp " VIVARION_VERSION);
  app.add_option("--max-worlds", options.MostWorlds, "the most worlds held at once (default 16)")
      ->check(CLI::Range(1, 10'000));
  app.add_option("--call-seconds", options.CallSeconds,
                 "the most wall time of one call; a run stops there and gives what it has (default 600)")
      ->check(CLI::Range(0.001, 1e7));
  app.add_option("--settings", options.SettingsFile,
                 "the settings file of new worlds (default: as vivarion-cli finds it)")
      ->check(CLI::ExistingFile);
  app.add_option("--threads", threads, "threads a world steps with (default: all cores)")->check(CLI::Range(1, 1024));
  app.footer(
      "A client's configuration (for instance Claude Desktop's claude_desktop_config.json):\n"
      "  {\"mcpServers\": {\"vivarion\": {\"command\": \"vivarion-mcp\", \"args\": []}}}\n"
      "Files are read and written only where a call's arguments say; an existing file is replaced only\n"
      "with overwrite: true.");
  CLI11_PARSE(app, argc, argv);

  if (options.SettingsFile.empty()) {
    const viv::TSettingsSearch search = viv::SearchSettingsFile();
    if (!search.Found) std::cerr << "vivarion-mcp: " << viv::SettingsNotFoundNote(search) << '\n';
    options.SettingsFile = search.File;
  }
  options.AnimalsFolder = viv::FindSampleAnimals(ProgramFolder());
  if (threads > 0) viv::SetWorkerThreads(threads);

  // Standard output carries the protocol alone: the server writes to a copy of it, and
  // whatever else writes to standard output (a library's note) lands on standard error.
  const int protocol = dup(STDOUT_FILENO);
  if (protocol < 0 || dup2(STDERR_FILENO, STDOUT_FILENO) < 0) {
    std::cerr << "vivarion-mcp: cannot set standard output aside for the protocol\n";
    return 1;
  }
  std::signal(SIGPIPE, SIG_IGN);  // a client that goes away ends the input, not the process
  viv::TMessageChannel channel(STDIN_FILENO, protocol, size_t{64} << 20);
  viv::TMcpServer server(options, channel);
  return server.Serve();
}
