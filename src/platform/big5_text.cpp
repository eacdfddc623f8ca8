#include "platform/big5_text.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>

namespace kd {

namespace {

bool isAscii(const std::string& text) {
  for (unsigned char c : text)
    if (c >= 0x80) return false;
  return true;
}

size_t utf8Length(unsigned char lead) {
  if (lead < 0x80) return 1;
  if ((lead >> 5) == 6) return 2;
  if ((lead >> 4) == 14) return 3;
  if ((lead >> 3) == 30) return 4;
  return 1;
}

// One conversion run. Input that cannot be converted is replaced by `bad` and stepped over:
// `step` says how many bytes make the offending character.
std::string convert(const char* to, const char* from, const std::string& input,
                    const std::string& bad, size_t (*step)(unsigned char)) {
  iconv_t cd = iconv_open(to, from);
  if (cd == iconv_t(-1)) return input;
  std::string out;
  out.reserve(input.size() * 2);
  char* in = const_cast<char*>(input.data());
  size_t inLeft = input.size();
  char buffer[1024];
  while (inLeft > 0) {
    char* outPtr = buffer;
    size_t outLeft = sizeof buffer;
    size_t r = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    out.append(buffer, size_t(outPtr - buffer));
    if (r == size_t(-1)) {
      if (errno == E2BIG) continue;
      // EILSEQ or EINVAL (a cut-off sequence): mark and step over the offending input.
      out += bad;
      size_t n = std::min(step(static_cast<unsigned char>(*in)), inLeft);
      in += n;
      inLeft -= n;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  iconv_close(cd);
  return out;
}

size_t oneByte(unsigned char) {
  return 1;
}

}  // namespace

std::string big5ToUtf8(const std::string& big5) {
  if (isAscii(big5)) return big5;
  return convert("UTF-8", "BIG5", big5, "\xEF\xBF\xBD", oneByte);
}

std::string utf8ToBig5(const std::string& utf8) {
  if (isAscii(utf8)) return utf8;
  // A character without a Big5 form becomes '?', stepping over the whole UTF-8 character.
  return convert("BIG5", "UTF-8", utf8, "?", utf8Length);
}

}  // namespace kd
