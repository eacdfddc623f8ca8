#include "sound/heard_sound.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace kd::testing {

namespace {

// Below this a sample is silence: the generator's tone peaks near 9800 and the player fills
// every gap in its queue with exact zeros.
constexpr int kSilentLevel = 400;
// A run of quiet samples this long is a gap; a tone crosses zero in far fewer.
constexpr size_t kGapSamples = 40;  // 5 ms
// Beeps are found in windows of whole cycles of the beep, stepped by half a window.
constexpr size_t kBeepWindow = 80;  // 10 ms
constexpr size_t kBeepStep = 40;
constexpr double kBeepShare = 0.5;
constexpr double kShortestBeepMs = 30;
constexpr double kToneMarginMs = 50;  // kept clear of the beeps on both sides
constexpr double kShortestToneMs = 200;

double ms(size_t samples) {
  return samples * 1000.0 / kHeardRate;
}
size_t samplesOf(double ms) {
  return size_t(ms * kHeardRate / 1000);
}

// Goertzel power at `hz`, the samples weighted by a Hann window against leakage between the
// neighbouring tones.
double powerAt(const int16_t* s, size_t count, double hz) {
  const double w = 2 * M_PI * hz / kHeardRate, coeff = 2 * std::cos(w);
  double s1 = 0, s2 = 0;
  for (size_t i = 0; i < count; ++i) {
    const double hann = 0.5 - 0.5 * std::cos(2 * M_PI * double(i) / double(count - 1));
    const double s0 = hann * s[i] + coeff * s1 - s2;
    s2 = s1;
    s1 = s0;
  }
  return s1 * s1 + s2 * s2 - coeff * s1 * s2;
}

// Share of a short window's energy at `hz` (no weighting: the window holds whole cycles).
double shareAt(const int16_t* s, size_t count, double hz) {
  const double w = 2 * M_PI * hz / kHeardRate, coeff = 2 * std::cos(w);
  double s1 = 0, s2 = 0, total = 0;
  for (size_t i = 0; i < count; ++i) {
    const double s0 = s[i] + coeff * s1 - s2;
    s2 = s1;
    s1 = s0;
    total += double(s[i]) * s[i];
  }
  const double power = s1 * s1 + s2 * s2 - coeff * s1 * s2;
  return total > 0 ? 2 * power / (double(count) * total) : 0;
}

}  // namespace

std::vector<int16_t> readRawSamples(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<char> b((std::istreambuf_iterator<char>(in)), {});
  std::vector<int16_t> out(b.size() / 2);
  for (size_t i = 0; i < out.size(); ++i) {
    out[i] = int16_t(uint8_t(b[2 * i]) | (uint8_t(b[2 * i + 1]) << 8));
  }
  return out;
}

double strongestFrequency(const int16_t* s, size_t count, double lowHz, double highHz) {
  double best = lowHz, bestPower = -1;
  for (double hz = lowHz; hz <= highHz; hz += 2) {
    const double p = powerAt(s, count, hz);
    if (p > bestPower) bestPower = p, best = hz;
  }
  const double coarse = best;
  for (double hz = coarse - 2; hz <= coarse + 2; hz += 0.1) {
    const double p = powerAt(s, count, hz);
    if (p > bestPower) bestPower = p, best = hz;
  }
  return best;
}

HeardSound listen(const std::vector<int16_t>& s, double beepHz) {
  HeardSound heard;
  size_t first = s.size(), last = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    if (std::abs(s[i]) < kSilentLevel) continue;
    if (first == s.size()) first = i;
    last = i;
  }
  if (first == s.size()) return heard;
  heard.firstMs = ms(first);
  heard.lastMs = ms(last);

  for (size_t i = first; i <= last;) {
    if (std::abs(s[i]) >= kSilentLevel) {
      ++i;
      continue;
    }
    size_t end = i;
    while (end <= last && std::abs(s[end]) < kSilentLevel) ++end;
    if (end - i >= kGapSamples) heard.gaps.push_back({ms(i), ms(end - i)});
    i = end;
  }

  // Runs of windows mostly at the beep frequency.
  size_t runStart = 0, runEnd = 0;
  bool inRun = false;
  auto closeRun = [&] {
    if (inRun && ms(runEnd - runStart) >= kShortestBeepMs) {
      heard.beeps.push_back({ms(runStart), ms(runEnd - runStart), 0});
    }
    inRun = false;
  };
  for (size_t at = first; at + kBeepWindow <= last + 1; at += kBeepStep) {
    if (shareAt(s.data() + at, kBeepWindow, beepHz) > kBeepShare) {
      if (!inRun) runStart = at, inRun = true;
      runEnd = at + kBeepWindow;
    } else if (inRun && at >= runEnd) {
      closeRun();
    }
  }
  closeRun();

  for (size_t b = 0; b < heard.beeps.size(); ++b) {
    const HeardBeep& beep = heard.beeps[b];
    const double from = beep.startMs + beep.lengthMs + kToneMarginMs;
    const double to =
        b + 1 < heard.beeps.size() ? heard.beeps[b + 1].startMs - kToneMarginMs : ms(last);
    if (to - from < kShortestToneMs) continue;
    heard.beeps[b].toneHz =
        strongestFrequency(s.data() + samplesOf(from), samplesOf(to - from), 300, 900);
  }
  return heard;
}

std::string HeardSound::describe() const {
  char line[160];
  std::snprintf(line, sizeof line, "sound from %.1f ms to %.1f ms\n", firstMs, lastMs);
  std::string out = line;
  // The first few gaps tell the pattern; a chopped sound has hundreds.
  constexpr size_t kGapsShown = 12;
  for (size_t i = 0; i < gaps.size() && i < kGapsShown; ++i) {
    std::snprintf(line, sizeof line, "  gap at %.1f ms, %.1f ms long\n", gaps[i].startMs,
                  gaps[i].lengthMs);
    out += line;
  }
  if (gaps.size() > kGapsShown) {
    std::snprintf(line, sizeof line, "  ... %zu gaps in all\n", gaps.size());
    out += line;
  }
  for (const HeardBeep& b : beeps) {
    std::snprintf(line, sizeof line, "  beep at %.1f ms, %.1f ms long, then a tone of %.1f Hz\n",
                  b.startMs, b.lengthMs, b.toneHz);
    out += line;
  }
  return out;
}

}  // namespace kd::testing
