// AVC macroblock parsing alone: the 704 × 576 version-4 streams of bench_avc_decode (default and
// varied vectors) parsed picture by picture, macroblock types, vectors and residual, without
// reconstruction; the neighbour counts for nC are kept as the decoder keeps them. Parsing is
// about a fifth of decoding, so this shows a parser change far above the noise of the whole.
// Usage: bench_avc_parse [FRAMES] [QUANT] [--rounds=N]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "decode/avc/avc_bit_reader.h"
#include "decode/avc/avc_macroblock_parser.h"
#include "decode/diagnostics.h"
#include "synth/avc/avc_encoder.h"
#include "synth/base/test_scene.h"

using namespace kd;
using namespace kd::avc;

namespace {

constexpr int kWidth = 704, kHeight = 576;

std::vector<EncodedFrame> makeStream(int frames, int quant, bool varied) {
  VideoEncoderSettings settings;
  settings.width = kWidth;
  settings.height = kHeight;
  settings.avcVersion = 4;
  settings.quant = quant;
  settings.options["repeat-every"] = std::string(1, '0');
  settings.options["prefer-still"] = std::string(1, varied ? '0' : '1');
  AvcEncoder encoder(settings);
  std::vector<EncodedFrame> records;
  for (int i = 0; i < frames; ++i) {
    const RgbImage image = renderTestScene(kWidth, kHeight, i);
    for (auto& r : encoder.encode(image, uint32_t(40 * (i + 1)), i % 50 == 0))
      records.push_back(std::move(r));
  }
  return records;
}

// The picture header as the decoder reads it; false when there is none.
bool readHeader(BitReader& r, int& frameType, int& quant) {
  size_t bit = 0;
  while (bit <= 160 && r.peekAt(bit, 21) != 16) ++bit;
  if (bit > 160) return false;
  r.seek(bit + 21);
  r.read(4);  // version
  frameType = int(r.read(2));
  if (frameType == 0) r.skip(20);
  quant = int(r.read(8));
  if (frameType == 2) r.skip(2);
  r.alignTo16();
  return true;
}

// Parses every macroblock of every picture; the number of macroblocks parsed.
long parseAll(const std::vector<EncodedFrame>& records, BitReader& reader,
              std::vector<MacroblockRecord>& neighbours, MacroblockData& mb) {
  const int cols = kWidth / 16, rows = kHeight / 16;
  long parsed = 0;
  for (const EncodedFrame& f : records) {
    reader.load(f.payload.data(), f.payload.size());
    int frameType = 0, quant = 0;
    if (!readHeader(reader, frameType, quant)) continue;
    const ParseContext ctx{4, quant, cols, &neighbours};
    for (int mby = 0; mby < rows; ++mby) {
      for (int mbx = 0; mbx < cols; ++mbx) {
        bool ok = true;
        if (frameType == 0) {
          reader.read(1);
          ok = parseIntraMacroblock(reader, ctx, mbx, mby, mb);
        } else if (reader.readBit()) {
          ok = parseInterMacroblock(reader, ctx, mbx, mby, mb);
        } else if (reader.readBit()) {
          mb.clearResidual();
        } else {
          ok = parseIntraMacroblock(reader, ctx, mbx, mby, mb);
        }
        if (!ok) {
          std::fprintf(stderr, "parse failure\n");
          std::exit(1);
        }
        MacroblockRecord& rec = neighbours[size_t(mby) * cols + mbx];
        std::copy(mb.lumaTotal, mb.lumaTotal + 16, rec.totalLuma);
        std::copy(mb.chromaTotal[0], mb.chromaTotal[0] + 4, rec.totalU);
        std::copy(mb.chromaTotal[1], mb.chromaTotal[1] + 4, rec.totalV);
        ++parsed;
      }
    }
  }
  return parsed;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> numbers;
  int rounds = 20;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a.rfind("--rounds=", 0) == 0)
      rounds = std::max(1, std::atoi(a.c_str() + 9));
    else if (a[0] != '-')
      numbers.push_back(a);
  }
  const int frames = numbers.size() > 0 ? std::atoi(numbers[0].c_str()) : 250;
  const int quant = numbers.size() > 1 ? std::atoi(numbers[1].c_str()) : 28;
  setDiagnosticStream(nullptr);
  std::printf("stream (f/s)     parse\n");
  for (bool varied : {false, true}) {
    const std::vector<EncodedFrame> records = makeStream(frames, quant, varied);
    BitReader reader;
    std::vector<MacroblockRecord> neighbours(size_t(kWidth / 16) * (kHeight / 16));
    MacroblockData mb;
    double best = 1e9;
    for (int k = 0; k < rounds; ++k) {
      const std::clock_t t0 = std::clock();
      parseAll(records, reader, neighbours, mb);
      best = std::min(best, std::max(double(std::clock() - t0) / CLOCKS_PER_SEC, 1e-6));
    }
    std::printf("%-14s %9.1f\n", varied ? "varied vectors" : "default", records.size() / best);
  }
  return 0;
}
