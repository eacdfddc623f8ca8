#pragma once
// The conversion's two paths: the output name the dialog proposes for an input, the checks of
// the two edits, and the refusal of an output that is the recording itself.
#include <string>

namespace kd {

// The input with its last two characters replaced by "avi" when they are "kd" (a.kd → a.avi),
// its last three otherwise (a.kdx → a.avi, a.ckd → a.cavi).
std::string defaultAviName(const std::string& input);

// What is wrong with the two edits, in the order they are checked.
enum class PathProblem {
  None,
  NoInput,       // "請輸入 KD 影像檔案 !"
  NoOutput,      // "請輸入 AVI 影像檔名稱 !"
  NotAviName,    // "請檢查 AVI 檔案名稱 (*.avi) !": the name must end in lower-case "avi"
  OutputIsInput  // the output names the recording itself (same device and inode)
};
PathProblem checkConversionPaths(const std::string& input, const std::string& output);

}  // namespace kd
