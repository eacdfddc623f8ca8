#pragma once
// The system tick count and the computer's time zone.
#include <cstdint>
#include <ctime>
#include <string>

namespace kd {

// Milliseconds since an arbitrary start, wrapping at 2^32 like the recorders' frame clock.
uint32_t tickCount();
// The computer's offset from GMT in whole hours (east positive), at the current moment.
int localGmtOffsetHours();
// strftime in the local time zone; "" when the pattern gives nothing.
std::string formatLocalTime(int64_t secondsSince1970, const char* pattern);
// "GMT+08:00" / "GMT-05:00".
std::string gmtOffsetLabel(int hours);

}  // namespace kd
