// kdtool: the command-line face of kdplayer's core.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "cli/command.h"
#include "decode/diagnostics.h"

namespace kd::cli {

namespace {

struct Entry {
  const char* usage;
  CommandFunction run;
};

std::map<std::string, Entry>& registry() {
  static std::map<std::string, Entry> commands;
  return commands;
}

}  // namespace

CommandRegistrar::CommandRegistrar(const char* name, const char* usage, CommandFunction run) {
  registry()[name] = Entry{usage, run};
}

int fail(const std::string& subject, const std::string& reason) {
  std::fprintf(stderr, "kdtool: %s: %s\n", subject.c_str(), reason.c_str());
  return 1;
}

int usageError(const std::string& command) {
  auto it = registry().find(command);
  std::fprintf(stderr, "kdtool: usage: kdtool %s %s\n", command.c_str(),
               it != registry().end() ? it->second.usage : "");
  return 2;
}

Options::Options(const std::vector<std::string>& args, const std::vector<std::string>& flags) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
      std::string name = a.substr(2);
      std::string value;
      auto eq = name.find('=');
      if (eq != std::string::npos) {
        value = name.substr(eq + 1);
        name = name.substr(0, eq);
      } else if (std::find(flags.begin(), flags.end(), name) == flags.end()) {
        if (i + 1 >= args.size()) {
          error_ = "option --" + name + " needs a value";
          return;
        }
        value = args[++i];
      }
      values_.emplace_back(name, value);
    } else {
      positional_.push_back(a);
    }
  }
}

bool Options::has(const std::string& name) const {
  for (auto& [n, v] : values_)
    if (n == name) return true;
  return false;
}

std::string Options::get(const std::string& name, const std::string& fallback) const {
  for (auto it = values_.rbegin(); it != values_.rend(); ++it)
    if (it->first == name) return it->second;
  return fallback;
}

long long Options::getInt(const std::string& name, long long fallback, bool& valid) const {
  if (!has(name)) return fallback;
  std::string text = get(name);
  char* end = nullptr;
  errno = 0;
  long long value = std::strtoll(text.c_str(), &end, 0);
  if (text.empty() || *end != '\0' || errno != 0) {
    valid = false;
    return fallback;
  }
  return value;
}

}  // namespace kd::cli

int main(int argc, char** argv) {
  using namespace kd::cli;
  kd::setDiagnosticStream(stderr);
  if (argc < 2 || !std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "help")) {
    std::printf("usage: kdtool COMMAND [OPTIONS] ...\ncommands:\n");
    for (auto& [name, entry] : registry()) std::printf("  %s %s\n", name.c_str(), entry.usage);
    return argc < 2 ? 2 : 0;
  }
  auto it = registry().find(argv[1]);
  if (it == registry().end()) {
    std::fprintf(stderr, "kdtool: %s: unknown command (try kdtool help)\n", argv[1]);
    return 2;
  }
  std::vector<std::string> args(argv + 2, argv + argc);
  return it->second.run(args);
}
