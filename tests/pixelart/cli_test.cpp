// Runs the real tool, the way the build does.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

std::string Rows(int count, const std::string& row) {
  std::string text;
  for (int i = 0; i < count; ++i) text += row + "\n";
  return text;
}

class PixelArtTool : public testing::Test {
 protected:
  void SetUp() override {
    std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    for (char& c : name) {
      if (c == '/') c = '_';
    }
    dir_ = fs::temp_directory_path() / ("pixelart_cli_" + std::to_string(::getpid()) + "_" + name);
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path Write(const std::string& name, const std::string& text) {
    fs::path path = dir_ / name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }

  // Returns the exit status; stderr goes to `err`.
  int Run(const std::string& args) {
    std::string command = std::string("'") + ZORSAV_PIXELART_TOOL + "' " + args + " 2>'" +
                          (dir_ / "stderr").string() + "'";
    int status = std::system(command.c_str());
    std::ifstream in(dir_ / "stderr");
    std::stringstream text;
    text << in.rdbuf();
    err = text.str();
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  fs::path dir_;
  std::string err;
};

TEST_F(PixelArtTool, WritesABmpAndAnIco) {
  auto bmp_in = Write("b.txt", Rows(32, std::string(32, 'R')));
  auto ico_in = Write("i.txt", Rows(16, std::string(16, 'W')));
  EXPECT_EQ(Run("bmp '" + bmp_in.string() + "' '" + (dir_ / "b.bmp").string() + "'"), 0) << err;
  EXPECT_EQ(Run("ico '" + ico_in.string() + "' '" + (dir_ / "i.ico").string() + "'"), 0) << err;
  EXPECT_EQ(fs::file_size(dir_ / "b.bmp"), 14u + 40 + 64 + 16 * 32);
  EXPECT_EQ(fs::file_size(dir_ / "i.ico"), 22u + 40 + 64 + 8 * 16 + 4 * 16);
  EXPECT_FALSE(fs::exists(dir_ / "b.bmp.part"));
}

struct FailureCase {
  const char* name;
  const char* kind;
  std::string text;
  std::string expected_prefix;  // after "<file>:"
};

class PixelArtToolFailure : public PixelArtTool, public testing::WithParamInterface<FailureCase> {};

TEST_P(PixelArtToolFailure, ReportsPositionAndLeavesNoFile) {
  const FailureCase& c = GetParam();
  auto in = Write("in.txt", c.text);
  fs::path out = dir_ / "out.bin";
  std::ofstream(out) << "stale output of an earlier run";
  EXPECT_EQ(Run(std::string(c.kind) + " '" + in.string() + "' '" + out.string() + "'"), 1);
  EXPECT_EQ(err.rfind(in.string() + ":" + c.expected_prefix, 0), 0u) << err;
  EXPECT_FALSE(fs::exists(out));
  EXPECT_FALSE(fs::exists(out.string() + ".part"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PixelArtToolFailure,
    testing::Values(
        FailureCase{"IconArtAsBmp", "bmp", Rows(16, std::string(16, '.')), "1:17: error: "},
        FailureCase{"BmpTooShort", "bmp", "# c\n" + std::string(32, '.') + "\n", "3:1: error: "},
        FailureCase{"IcoUnknownCharacter", "ico", "................\n.......?", "2:8: error: "}),
    [](const testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

TEST_F(PixelArtTool, UnreadableInputIsAnError) {
  fs::create_directory(dir_ / "a_directory.txt");
  for (std::string name : {"absent.txt", "a_directory.txt"}) {
    fs::path out = dir_ / "out.bmp";
    EXPECT_EQ(Run("bmp '" + (dir_ / name).string() + "' '" + out.string() + "'"), 1) << name;
    EXPECT_NE(err.find(name + ":1:1: error: "), std::string::npos) << err;
    EXPECT_FALSE(fs::exists(out)) << name;
  }
}

TEST_F(PixelArtTool, UnwritableOutputIsAnError) {
  auto in = Write("in.txt", Rows(16, std::string(16, '.')));
  fs::path out = dir_ / "no_such_dir" / "out.ico";
  EXPECT_EQ(Run("ico '" + in.string() + "' '" + out.string() + "'"), 1);
  EXPECT_NE(err.find(": error: "), std::string::npos) << err;
  EXPECT_FALSE(fs::exists(out));
}

TEST_F(PixelArtTool, BadCommandLinesAreRefused) {
  auto in = Write("in.txt", Rows(16, std::string(16, '.')));
  for (const std::string& args :
       std::vector<std::string>{"", "png '" + in.string() + "' x", "ico '" + in.string() + "'"}) {
    EXPECT_EQ(Run(args), 1) << args;
    EXPECT_NE(err.find("usage"), std::string::npos) << args;
  }
}

}  // namespace
