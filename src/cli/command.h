#pragma once
// kdtool's sub-commands register themselves here; each lives in its own cmd_*.cpp file.
#include <string>
#include <vector>

namespace kd::cli {

using CommandFunction = int (*)(const std::vector<std::string>& args);

struct CommandRegistrar {
  CommandRegistrar(const char* name, const char* usage, CommandFunction run);
};

// Prints "kdtool: SUBJECT: REASON" on standard error and returns 1 (the failure exit code).
int fail(const std::string& subject, const std::string& reason);
// Prints "kdtool: usage: ..." for the command and returns 2.
int usageError(const std::string& command);

// A small option parser: --name value, --flag, and positional arguments.
class Options {
 public:
  // `flags` are options that take no value.
  Options(const std::vector<std::string>& args, const std::vector<std::string>& flags);
  bool ok() const { return error_.empty(); }
  const std::string& error() const { return error_; }
  bool has(const std::string& name) const;
  std::string get(const std::string& name, const std::string& fallback = "") const;
  // Integer option; sets `valid` false (and leaves it) on a malformed number.
  long long getInt(const std::string& name, long long fallback, bool& valid) const;
  const std::vector<std::string>& positional() const { return positional_; }

 private:
  std::vector<std::pair<std::string, std::string>> values_;
  std::vector<std::string> positional_;
  std::string error_;
};

}  // namespace kd::cli
