// File names between the system's texts (CP1251) and the Linux kernel's
// bytes (UTF-8 by convention, but any bytes but NUL and "/").
//
// Most names convert both ways. A name the kernel holds that has no CP1251
// form (a character CP1251 lacks, or bytes that are no valid UTF-8) is given
// to the system with each of its bytes written as the escape byte 0x98 and
// two upper-case hex digits; ToNative turns such an escape back into that
// byte. 0x98 is unassigned in CP1251, and a kernel name holding U+0098 (its
// stand-in in our UTF-8 mapping) is escaped as well, so every kernel name
// comes back to exactly the same bytes: an entry found in a folder is always
// the entry acted on, never another file whose name merely looks alike.
#pragma once

#include <string>
#include <string_view>

namespace platform {

constexpr char kNativeEscape = '\x98';

// The kernel's bytes for a system text.
std::string ToNative(std::string_view text);
// The system's text for kernel bytes; ToNative(FromNative(b)) == b always.
std::string FromNative(std::string_view bytes);

}  // namespace platform
