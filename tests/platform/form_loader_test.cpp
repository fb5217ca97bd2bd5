// The form description: what it builds, and how a broken one fails at start-up.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "app/form1.h"
#include "app/program.h"
#include "platform/vcl/exception.h"
#include "platform/win32/kernel.h"
#include "platform/win32/resources.h"
#include "tests/rig/rig_backend.h"

using ::testing::HasSubstr;

namespace {

class FormLoaderTest : public ::testing::Test {
 protected:
  FormLoaderTest() { SetBackend(&rig); }
  ~FormLoaderTest() override {
    RegisterResources(EmbeddedResources());
    SetBackend(nullptr);
  }
  // Makes a TForm1 from this description; returns the error message, or "" when it loads.
  std::string Load(const std::string& text) {
    text_ = text;
    entries_[0] = {"TFORM1", ResourceKind::kForm,
                   reinterpret_cast<const std::uint8_t*>(text_.data()), text_.size()};
    RegisterResources(entries_);
    TApplication application;
    try {
      TForm1 form;
      return "";
    } catch (const Exception& error) {
      return error.what();
    }
  }
  rig::RigBackend rig;
  std::string text_;
  ResourceEntry entries_[1];
};

// The real description with one line replaced.
std::string RealWith(const std::string& from, const std::string& to) {
  auto data = FindResourceData("TFORM1", ResourceKind::kForm);
  std::string text(reinterpret_cast<const char*>(data->data()), data->size());
  std::size_t at = text.find(from);
  if (at == std::string::npos) return "";
  return text.replace(at, from.size(), to);
}

TEST_F(FormLoaderTest, RealDescriptionBuildsEveryControlWithItsProperties) {
  RegisterResources(EmbeddedResources());
  TApplication application;
  TForm1 form;
  EXPECT_EQ(form.Width(), 462);
  EXPECT_EQ(form.Height(), 301);
  EXPECT_EQ(form.BorderStyle(), TFormBorderStyle::bsNone);
  EXPECT_EQ(form.Position(), TPosition::poScreenCenter);
  EXPECT_EQ(form.Font().Height, -12);
  EXPECT_EQ(ToUtf8(form.Font().Name), "ＭＳ Ｐゴシック");
  EXPECT_EQ(form.Button1->Tag(), 1);
  EXPECT_EQ(form.Button4->Tag(), 4);
  EXPECT_TRUE(form.Button1->Default());
  EXPECT_TRUE(form.Button5->Default());
  EXPECT_FALSE(form.Button6->TabStop());
  EXPECT_EQ(form.Button6->Top(), -30);
  EXPECT_EQ(form.Panel1->Align(), TAlign::alClient);
  EXPECT_EQ(form.Panel2->BevelOuter(), TBevelCut::bvNone);
  EXPECT_EQ(form.Panel1->BevelOuter(), TBevelCut::bvRaised);
  EXPECT_EQ(form.Mes1->Color(), clGray);  // the labels take Panel2's grey
  EXPECT_EQ(form.HP->Color(), clGray);
  EXPECT_EQ(form.Image1->Cursor(), TCursor::crNo);
  EXPECT_TRUE(form.Image1->Stretch());
  EXPECT_EQ(form.Image1->Parent(), form.Panel1);
  EXPECT_EQ(form.Mes3->Parent(), form.Panel2);
  // The order of creation.
  std::vector<std::string> names;
  for (const auto& control : form.Components()) names.push_back(control->Name());
  EXPECT_EQ(names, (std::vector<std::string>{"Panel1", "Image1", "HP", "Button1", "Button2",
                                             "Button3", "Button4", "Panel2", "Mes1", "Mes2", "Mes3",
                                             "Button5", "Button6"}));
  EXPECT_TRUE(form.OnCreate);
  EXPECT_TRUE(form.OnCloseQuery);
  EXPECT_TRUE(form.HP->OnDblClick);
  EXPECT_TRUE(form.Button3->OnClick);
}

struct BrokenCase {
  const char* from;
  const char* to;
  const char* message;
};

class BrokenFormTest : public FormLoaderTest, public ::testing::WithParamInterface<BrokenCase> {};

TEST_P(BrokenFormTest, FailsWithTheNameAndTheLine) {
  RegisterResources(EmbeddedResources());
  std::string text = RealWith(GetParam().from, GetParam().to);
  ASSERT_FALSE(text.empty());
  std::string error = Load(text);
  EXPECT_THAT(error, HasSubstr(GetParam().message));
  EXPECT_THAT(error, HasSubstr("TFORM1"));
}

INSTANTIATE_TEST_SUITE_P(
    Faults, BrokenFormTest,
    ::testing::Values(
        BrokenCase{"object Panel2: TPanel", "object Panel2: TGroupBox",
                   "行目: 不明なコントロールの種類 \"TGroupBox\""},
        BrokenCase{"      Stretch = True", "      Strech = True",
                   "行目: 不明なプロパティ \"Strech\""},
        BrokenCase{"OnClick = Button6Click", "OnClick = Button7Click",
                   "行目: 不明なハンドラ \"Button7Click\""},
        BrokenCase{"OnCloseQuery = FormCloseQuery", "OnCloseQuery = FormCreate",
                   "行目: 不明なハンドラ \"FormCreate\""},
        BrokenCase{"Tag = 3", "Tag = three", "行目: プロパティ Tag の値が正しくありません"},
        BrokenCase{"Color = clBlack", "Color = clChartreuse",
                   "プロパティ Color の値が正しくありません"},
        BrokenCase{"Caption = 'にげる(&E)'", "Caption = 'にげる(&E)",
                   "行目: 文字列が閉じていません"},
        BrokenCase{"object Mes1: TLabel", "object Mes2: TLabel", "\"Mes2\" が重複しています"},
        BrokenCase{"object Button6: TButton", "object Button7: TButton",
                   "コントロール Button6 がありません"}));

TEST_F(FormLoaderTest, ErrorsCountLinesFromOne) {
  EXPECT_EQ(Load("object Form1: TForm1\n  Bogus = 1\nend\n"),
            "フォーム記述 TFORM1 の 2 行目: 不明なプロパティ \"Bogus\"");
  EXPECT_THAT(Load("object Form1: TForm1\n"), HasSubstr("\"end\" が足りません"));
  EXPECT_THAT(Load(""), HasSubstr("object がありません"));
  EXPECT_THAT(Load("end\n"), HasSubstr("1 行目"));
}

TEST_F(FormLoaderTest, BrokenDescriptionAtStartUpShowsTheErrorBoxAndEnds) {
  RegisterResources(EmbeddedResources());
  text_ = RealWith("object Panel2: TPanel", "object Panel2: TFrame");
  entries_[0] = {"TFORM1", ResourceKind::kForm, reinterpret_cast<const std::uint8_t*>(text_.data()),
                 text_.size()};
  RegisterResources(entries_);
  EXPECT_EQ(RunProgram(), 1);
  ASSERT_EQ(rig.Boxes().size(), 1u);
  EXPECT_THAT(rig.Boxes()[0].text, HasSubstr("TFrame"));
  EXPECT_TRUE(rig.Boxes()[0].text.ends_with("."));
  EXPECT_EQ(rig.Boxes()[0].caption, "ZOR-ScreenSaver");
  EXPECT_EQ(rig.Boxes()[0].style, MB_OK | MB_ICONHAND);
}

TEST_F(FormLoaderTest, MissingDescriptionIsAStartUpError) {
  RegisterResources({});
  EXPECT_EQ(RunProgram(), 1);
  ASSERT_EQ(rig.Boxes().size(), 1u);
  EXPECT_THAT(rig.Boxes()[0].text, HasSubstr("TFORM1"));
}

TEST(VersionTest, ThisSystemIsNoneOfTheWindowsFamilies) {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  ASSERT_EQ(GetVersionExA(&info), TRUE);
  EXPECT_NE(info.dwPlatformId, 0u);
  EXPECT_NE(info.dwPlatformId, 1u);
  EXPECT_NE(info.dwPlatformId, 2u);
  OSVERSIONINFOA wrong_size{};
  wrong_size.dwOSVersionInfoSize = 100;
  EXPECT_EQ(GetVersionExA(&wrong_size), FALSE);
  EXPECT_EQ(GetVersionExA(nullptr), FALSE);
}

}  // namespace
