#include "platform/shell_registration.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace kd {

namespace {

constexpr const char* kMimeType = "application/x-kd-auto-file";
constexpr const char* kExtensions[] = {"kd", "kdx", "kdz", "kdq", "ckd"};

std::string defaultDataHome() {
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg) return xdg;
  if (const char* home = std::getenv("HOME"); home && *home) return std::string(home) + "/.local/share";
  return {};
}

// Writes `content` unless the file already holds exactly it.
bool writeIfChanged(const std::filesystem::path& path, const std::string& content) {
  std::ifstream in(path, std::ios::binary);
  if (in) {
    std::stringstream existing;
    existing << in.rdbuf();
    if (existing.str() == content) return false;
  }
  std::error_code ec;
  std::filesystem::create_directories(path.parent_path(), ec);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
  return bool(out);
}

}  // namespace

std::string desktopExecLine(const std::string& programPath) {
  bool quote = programPath.find_first_of(" \t\"'\\$`") != std::string::npos;
  std::string line;
  if (quote) {
    line = "\"";
    for (char c : programPath) {
      if (c == '"' || c == '`' || c == '$' || c == '\\') line += '\\';
      line += c;
    }
    line += "\"";
  } else {
    line = programPath;
  }
  return line + " %f";
}

ShellRegistration registerFileTypes(const std::string& programPath, const std::string& dataHome) {
  ShellRegistration result;
  const std::string base = dataHome.empty() ? defaultDataHome() : dataHome;
  if (base.empty()) return result;
  const std::filesystem::path root(base);

  std::string mime =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
      "  <mime-type type=\"" + std::string(kMimeType) + "\">\n"
      "    <comment>kd_auto_file</comment>\n";
  for (const char* ext : kExtensions) mime += "    <glob pattern=\"*." + std::string(ext) + "\"/>\n";
  mime += "  </mime-type>\n</mime-info>\n";
  const auto mimePath = root / "mime" / "packages" / "kd_auto_file.xml";
  result.mimePackagePath = mimePath.string();
  result.changed |= writeIfChanged(mimePath, mime);

  const std::string desktop = "[Desktop Entry]\nType=Application\nName=KD Player\n"
                              "Exec=" + desktopExecLine(programPath) + "\n"
                              "MimeType=" + std::string(kMimeType) + ";\n"
                              "Terminal=false\nCategories=AudioVideo;Video;Player;\n";
  const auto desktopPath = root / "applications" / "kd_auto_file.desktop";
  result.desktopEntryPath = desktopPath.string();
  result.changed |= writeIfChanged(desktopPath, desktop);
  return result;
}

}  // namespace kd
