// The parser for MCI command strings: a verb, a device name and the verb's keywords.
#pragma once

#include <string>
#include <string_view>

#include "platform/win32/types.h"

namespace mci {

enum class Verb { kOpen, kPlay, kSeekToStart, kStop, kClose };

struct Command {
  Verb verb = Verb::kOpen;
  std::string device;  // as written, without quotes
  bool notify = false;
};

// Parses `text`. Words are separated by any run of blanks, verbs and keywords match without
// regard to case, and a device name may be quoted to hold blanks. Returns 0 and fills `command`,
// or an MCIERR_* code.
MCIERROR ParseCommand(std::string_view text, Command& command);

// The key a device is looked up by: ASCII letters folded to lower case, the bytes of CP932
// double-byte characters left as they are.
std::string DeviceKey(std::string_view name);

}  // namespace mci
