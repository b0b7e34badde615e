// How large a file the tool reads whole before judging it may be: a size template or a
// drive profile. Real ones hold a few hundred lines; a file far larger is a wrong name, and
// is refused before it is read rather than taking the machine's memory.
#pragma once

#include <cstdint>
#include <string>

namespace brimwell {

inline constexpr std::uint64_t kReadWholeLimit = std::uint64_t{16} << 20;  // 16 MiB

// "it is 3221225472 bytes (3.0 GiB), more than the 16 MiB such a file may hold"
std::string tooLargeToReadText(std::uint64_t size);

}  // namespace brimwell
