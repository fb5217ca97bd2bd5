#include "platform/mci/command.h"

#include <optional>
#include <vector>

#include "platform/win32/cp932.h"

namespace mci {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameWord(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return true;
}

// Splits on blanks; a word that starts with a double quote runs to the closing quote.
// Returns nothing for an unterminated quote.
std::optional<std::vector<std::string>> SplitWords(std::string_view text) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i < text.size()) {
    if (IsBlank(text[i])) {
      ++i;
      continue;
    }
    if (text[i] == '"') {
      const std::size_t end = text.find('"', i + 1);
      if (end == std::string_view::npos) return std::nullopt;
      words.emplace_back(text.substr(i + 1, end - i - 1));
      i = end + 1;
      continue;
    }
    const std::size_t start = i;
    while (i < text.size() && !IsBlank(text[i])) ++i;
    words.emplace_back(text.substr(start, i - start));
  }
  return words;
}

std::optional<Verb> ParseVerb(std::string_view word) {
  if (SameWord(word, "open")) return Verb::kOpen;
  if (SameWord(word, "play")) return Verb::kPlay;
  if (SameWord(word, "seek")) return Verb::kSeekToStart;
  if (SameWord(word, "stop")) return Verb::kStop;
  if (SameWord(word, "close")) return Verb::kClose;
  return std::nullopt;
}

// The keywords after the device name: "notify" for play, "to start" for seek, none otherwise.
MCIERROR ParseKeywords(const std::vector<std::string>& words, Command& command) {
  std::size_t i = 2;
  if (command.verb == Verb::kSeekToStart) {
    if (i >= words.size() || !SameWord(words[i], "to")) {
      return i < words.size() ? MCIERR_UNRECOGNIZED_KEYWORD : MCIERR_MISSING_PARAMETER;
    }
    if (++i >= words.size()) return MCIERR_MISSING_PARAMETER;
    if (!SameWord(words[i], "start")) return MCIERR_UNRECOGNIZED_KEYWORD;
    ++i;
  }
  for (; i < words.size(); ++i) {
    if (command.verb == Verb::kPlay && SameWord(words[i], "notify") && !command.notify) {
      command.notify = true;
      continue;
    }
    return MCIERR_UNRECOGNIZED_KEYWORD;
  }
  return 0;
}

}  // namespace

MCIERROR ParseCommand(std::string_view text, Command& command) {
  const auto words = SplitWords(text);
  if (!words) return MCIERR_MISSING_PARAMETER;
  if (words->empty()) return MCIERR_UNRECOGNIZED_COMMAND;
  const auto verb = ParseVerb((*words)[0]);
  if (!verb) return MCIERR_UNRECOGNIZED_COMMAND;
  if (words->size() < 2 || (*words)[1].empty()) return MCIERR_MISSING_PARAMETER;
  Command parsed;
  parsed.verb = *verb;
  parsed.device = (*words)[1];
  if (const MCIERROR error = ParseKeywords(*words, parsed); error != 0) return error;
  command = std::move(parsed);
  return 0;
}

std::string DeviceKey(std::string_view name) {
  std::string key(name);
  for (std::size_t i = 0; i < key.size(); ++i) {
    if (IsDBCSLeadByte(static_cast<BYTE>(key[i]))) {
      ++i;  // the trail byte may look like an ASCII letter; it is not one
      continue;
    }
    key[i] = FoldAscii(key[i]);
  }
  return key;
}

}  // namespace mci
