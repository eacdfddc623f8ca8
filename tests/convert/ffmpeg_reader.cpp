#include "convert/ffmpeg_reader.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "common/temp_dir.h"

namespace kd::testing {

std::vector<ProbedStream> probeStreams(const std::string& path) {
  std::string out;
  if (runCommand("ffprobe -v error -count_packets -show_entries "
                 "stream=codec_type,codec_name,nb_frames,nb_read_packets,r_frame_rate,width,"
                 "height,sample_rate -of default=noprint_wrappers=0 '" +
                     path + "'",
                 &out) != 0)
    return {};
  std::vector<ProbedStream> streams;
  std::istringstream in(out);
  std::string line;
  while (std::getline(in, line)) {
    if (line == "[STREAM]") streams.emplace_back();
    const auto eq = line.find('=');
    if (streams.empty() || eq == std::string::npos) continue;
    const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
    ProbedStream& s = streams.back();
    const long number = std::atol(value.c_str());
    if (key == "codec_type") s.type = value;
    if (key == "codec_name") s.codec = value;
    if (key == "nb_frames" && value != "N/A") s.frames = number;
    if (key == "nb_read_packets" && value != "N/A") s.packets = number;
    if (key == "r_frame_rate") s.rate = value;
    if (key == "width") s.width = int(number);
    if (key == "height") s.height = int(number);
    if (key == "sample_rate") s.sampleRate = int(number);
  }
  return streams;
}

std::vector<long> packetTimes(const std::string& path, int index) {
  std::string out;
  if (runCommand("ffprobe -v error -select_streams " + std::to_string(index) +
                     " -show_entries packet=pts -of csv=p=0 '" + path + "'",
                 &out) != 0)
    return {};
  std::vector<long> times;
  std::istringstream in(out);
  std::string line;
  while (std::getline(in, line))
    if (!line.empty()) times.push_back(std::atol(line.c_str()));
  return times;
}

std::vector<uint8_t> decodeStream(const std::string& path, int index, const std::string& options) {
  const std::string raw = path + ".stream" + std::to_string(index);
  if (runCommand("ffmpeg -v error -nostdin -y -i '" + path + "' -map 0:" + std::to_string(index) +
                 " " + options + " '" + raw + "'") != 0)
    return {};
  std::vector<uint8_t> bytes = readFileBytes(raw);
  std::remove(raw.c_str());
  return bytes;
}

}  // namespace kd::testing
