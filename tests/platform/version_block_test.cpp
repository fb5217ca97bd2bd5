// The version block the program carries: its numbers and strings, leading blanks kept.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>

#include "platform/win32/resources.h"

namespace {

// "Key = value" lines; the value is everything after "= ".
std::map<std::string, std::string> VersionStrings() {
  RegisterResources(EmbeddedResources());
  auto data = FindResourceData("VS_VERSION_INFO", ResourceKind::kVersion);
  std::map<std::string, std::string> strings;
  if (!data) return strings;
  std::istringstream in(std::string(reinterpret_cast<const char*>(data->data()), data->size()));
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::size_t equals = line.find(" =");
    if (equals == std::string::npos) continue;
    std::string value = line.substr(equals + 2);
    if (!value.empty() && value[0] == ' ') value.erase(0, 1);
    strings[line.substr(0, equals)] = value;
  }
  return strings;
}

TEST(VersionBlockTest, NumbersAndStrings) {
  auto strings = VersionStrings();
  ASSERT_FALSE(strings.empty());
  EXPECT_EQ(strings["FixedFileVersion"], "1.5.5.0");
  EXPECT_EQ(strings["FixedProductVersion"], "1.5.5.0");
  EXPECT_EQ(strings["FileVersion"], "1, 5, 5, 0");
  EXPECT_EQ(strings["ProductVersion"], "1, 5, 5, 0");
  EXPECT_EQ(strings["Comments"], "ジョークソフトなのに、本格的 MIDI がついています。");
  EXPECT_EQ(strings["FileDescription"], "Zorsav ｱﾌﾟﾘｹｰｼｮﾝ");
  EXPECT_EQ(strings["ProductName"], "  Zorsav ｱﾌﾟﾘｹｰｼｮﾝ");  // two leading blanks
  EXPECT_EQ(strings["InternalName"], "Zorsav");
  EXPECT_EQ(strings["OriginalFilename"], "ZORSAV.EXE");
  EXPECT_EQ(strings["LegalTrademarks"], "");
  EXPECT_EQ(strings["PrivateBuild"], "");
  EXPECT_EQ(strings["SpecialBuild"], "");
  EXPECT_EQ(strings["Language"], "0411");
}

}  // namespace
