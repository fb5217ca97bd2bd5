// The byte level: variable-length numbers and the chunk layout of the written file.
#include <gtest/gtest.h>

#include <stdexcept>

#include "midi_reader.h"
#include "midi_writer.h"
#include "vlq.h"

namespace zorsav::mml {
namespace {

struct VlqCase {
  uint32_t value;
  std::vector<uint8_t> bytes;
};

class VlqTest : public ::testing::TestWithParam<VlqCase> {};

TEST_P(VlqTest, EncodesAndReadsBack) {
  std::vector<uint8_t> out;
  AppendVlq(out, GetParam().value);
  EXPECT_EQ(out, GetParam().bytes);
  size_t pos = 0;
  uint32_t read = 0;
  ASSERT_TRUE(testing::ReadVlq(out, pos, read));
  EXPECT_EQ(read, GetParam().value);
  EXPECT_EQ(pos, out.size());
}

INSTANTIATE_TEST_SUITE_P(EdgeValues, VlqTest,
                         ::testing::Values(VlqCase{0, {0x00}}, VlqCase{127, {0x7F}},
                                           VlqCase{128, {0x81, 0x00}}, VlqCase{16383, {0xFF, 0x7F}},
                                           VlqCase{16384, {0x81, 0x80, 0x00}},
                                           VlqCase{2097151, {0xFF, 0xFF, 0x7F}},
                                           VlqCase{2097152, {0x81, 0x80, 0x80, 0x00}},
                                           VlqCase{0x0FFFFFFF, {0xFF, 0xFF, 0xFF, 0x7F}}));

TEST(VlqLimitTest, RefusesValuesAboveFourBytes) {
  std::vector<uint8_t> out;
  EXPECT_THROW(AppendVlq(out, 0x10000000), std::out_of_range);
  EXPECT_TRUE(out.empty());
}

TEST(MidiWriterTest, WritesHeaderAndTrackChunksWithTheirLengths) {
  MidiFile file;
  file.division = 480;
  file.tracks.push_back({{{0, {0xFF, 0x2F, 0x00}}}});
  // A delta of 200 ticks takes two bytes, so the second chunk is 4 + 5 + 4 bytes long.
  file.tracks.push_back({{{0, {0x90, 60, 100}}, {200, {0x80, 60, 64}}, {200, {0xFF, 0x2F, 0x00}}}});
  const std::vector<uint8_t> bytes = SerializeMidi(file);
  // Format 1, two tracks, 480 ticks a quarter.
  std::vector<uint8_t> expected = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 2, 0x01, 0xE0};
  const std::vector<uint8_t> first = {'M', 'T', 'r', 'k', 0, 0, 0, 4, 0x00, 0xFF, 0x2F, 0x00};
  const std::vector<uint8_t> second = {'M', 'T',  'r',  'k',  0,  0,  0,    13,   0x00, 0x90, 60,
                                       100, 0x81, 0x48, 0x80, 60, 64, 0x00, 0xFF, 0x2F, 0x00};
  expected.insert(expected.end(), first.begin(), first.end());
  expected.insert(expected.end(), second.begin(), second.end());
  EXPECT_EQ(bytes, expected);
  EXPECT_EQ(testing::ReadMidiBytes(bytes).error, "");
}

}  // namespace
}  // namespace zorsav::mml
