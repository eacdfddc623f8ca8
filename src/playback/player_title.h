#pragma once
// The player window's title: a state word, the speed when it is not 1 x, and the suffix naming
// the recording's host, time zone and date.
#include <cstdint>
#include <string>

namespace kd {

class RecordingInfo;

// " 停止", " 暫停" or " 播放中".
std::string stateWord(bool open, bool paused);
// "" for 1 x, "1/6 倍速", "2 倍速", "快速", "超快速" for the other steps (−4 … 4).
std::string speedText(int step);
// State word, the speed text while playing, then the suffix.
std::string playerTitle(bool open, bool paused, int step, const std::string& suffix);

// "(" host ")" "(GMT+08:00)" "(" "%Y/%m/%d" ") --". With `recordingLocal` the offset is the
// recorder's and the date the start shifted into the recorder's zone; otherwise the computer's.
// `host` is already decoded for display.
std::string titleSuffix(const std::string& host, int recorderGmtOffset, int localGmtOffset,
                        int64_t startTime, bool recordingLocal);

// "(GMT+08:00)" / "(GMT-05:00)", the offset's magnitude with its sign.
std::string bracketedGmt(int hours);

}  // namespace kd
