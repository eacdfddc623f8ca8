// kdtool ls: the recording browser's rows for one folder, as its file list shows them.
#include <algorithm>
#include <cstdio>

#include "catalog/folder_rows.h"
#include "catalog/row_order.h"
#include "cli/command.h"
#include "cli/json.h"
#include "platform/big5_text.h"

namespace kd::cli {

namespace {

// "COLUMN[:asc|:desc]"; a column alone sorts as a first click on its header would.
bool parseSort(const std::string& text, RowOrder& order) {
  const size_t colon = text.find(':');
  const std::string column = text.substr(0, colon);
  if (column.size() != 1 || column[0] < '0' || column[0] >= '0' + kColumnCount) return false;
  order.column = column[0] - '0';
  order.smallerFirst = order.column == kNameColumn;
  if (colon == std::string::npos) return true;
  const std::string direction = text.substr(colon + 1);
  if (direction != "asc" && direction != "desc") return false;
  order.smallerFirst = direction == "asc";
  return true;
}

void writeJson(const std::vector<BrowserRow>& rows) {
  JsonWriter j;
  j.beginArray();
  for (const BrowserRow& r : rows) {
    j.beginObject();
    j.key("kind").value(fileKindLabel(r.kind));
    j.key("name").value(r.name);
    j.key("start_time").value(r.startTime);
    j.key("end_time").value(r.endTime);
    j.key("start_text").value(r.startText);
    j.key("end_text").value(r.endText);
    j.key("card_name").value(big5ToUtf8(r.cardName));
    j.key("camera_name").value(big5ToUtf8(r.cameraName));
    j.key("width").value(r.width);
    j.key("height").value(r.height);
    j.key("size_text").value(r.sizeText);
    j.key("file_size").value(r.fileSize);
    j.key("file_size_text").value(r.fileSizeText);
    j.key("host_text").value(big5ToUtf8(r.hostText));
    j.endObject();
  }
  j.endArray();
  std::printf("%s\n", j.str().c_str());
}

// Terminal columns of a UTF-8 text: the recorders' Chinese characters take two.
size_t displayWidth(const std::string& text) {
  size_t width = 0;
  for (size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    const size_t length = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    width += length >= 3 ? 2 : 1;
    i += length;
  }
  return width;
}

void writeTable(const std::vector<BrowserRow>& rows) {
  std::vector<std::vector<std::string>> cells(1);
  for (int c = 0; c < kColumnCount; ++c) cells[0].push_back(browserColumnTitle(c));
  for (const BrowserRow& r : rows) {
    cells.emplace_back();
    for (int c = 0; c < kColumnCount; ++c) {
      const bool name = c == kCardColumn || c == kCameraColumn || c == kHostColumn;
      cells.back().push_back(name ? big5ToUtf8(columnText(r, c)) : columnText(r, c));
    }
  }
  std::vector<size_t> widths(kColumnCount, 0);
  for (const auto& line : cells)
    for (int c = 0; c < kColumnCount; ++c)
      widths[size_t(c)] = std::max(widths[size_t(c)], displayWidth(line[size_t(c)]));
  for (const auto& line : cells) {
    std::string out;
    for (int c = 0; c < kColumnCount; ++c) {
      const std::string& cell = line[size_t(c)];
      out += cell;
      if (c + 1 < kColumnCount) out += std::string(widths[size_t(c)] - displayWidth(cell) + 2, ' ');
    }
    std::printf("%s\n", out.c_str());
  }
}

int run(const std::vector<std::string>& args) {
  Options opt(args, {"json"});
  if (!opt.ok()) return fail("ls", opt.error());
  if (opt.positional().size() != 1) return usageError("ls");
  RowOrder order;
  const bool sorted = opt.has("sort");
  if (sorted && !parseSort(opt.get("sort"), order))
    return fail("ls", "--sort takes a column 0-7 with an optional :asc or :desc");
  const std::string& folder = opt.positional()[0];
  std::vector<BrowserRow> rows;
  std::string reason;
  if (!readFolderRows(folder, rows, reason)) return fail(folder, reason);
  if (sorted) order.sort(rows);
  if (opt.has("json"))
    writeJson(rows);
  else
    writeTable(rows);
  return 0;
}

const CommandRegistrar registrar("ls", "[--json] [--sort COLUMN[:asc|:desc]] DIR", run);

}  // namespace

}  // namespace kd::cli
