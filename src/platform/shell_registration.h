#pragma once
// Registers the recording file type with the desktop: the Linux form of the file association.
// A shared-mime-info package declares the type kd_auto_file for the five extensions, and a
// .desktop entry opens such files with the program's path followed by the file argument.
// Written at every start, only when the content changed; failures are ignored.
#include <string>

namespace kd {

struct ShellRegistration {
  std::string mimePackagePath;
  std::string desktopEntryPath;
  bool changed = false;  // something was (re)written
};

// `dataHome`: the XDG data folder ($XDG_DATA_HOME or ~/.local/share when empty).
ShellRegistration registerFileTypes(const std::string& programPath,
                                    const std::string& dataHome = "");
// The Exec line of the desktop entry: the program path (quoted when needed) and " %f".
std::string desktopExecLine(const std::string& programPath);

}  // namespace kd
