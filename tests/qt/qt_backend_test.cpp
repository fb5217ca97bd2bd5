// The real widgets, on Qt's offscreen platform: geometry, colours, the keyboard, the picture
// and the error box, read back from what was really painted.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <memory>

#include "app/form1.h"
#include "platform/qt/qt_backend.h"
#include "platform/qt/widgets.h"
#include "platform/vcl/exception.h"
#include "platform/win32/bitmaps.h"
#include "platform/win32/kernel.h"
#include "platform/win32/user.h"

namespace {

QtBackend& Backend() { return static_cast<QtBackend&>(CurrentBackend()); }

class QtFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app_ = std::make_unique<TApplication>();
    Application->SetTitle(Sjis("ZOR-ScreenSaver"));
    Application->CreateForm(Form1);
    form = Form1;
    ASSERT_TRUE(Backend().ShowMainForm(*form));
    window = Backend().MainWidget();
  }
  void TearDown() override { app_.reset(); }

  // What is really on screen: repaint, then read the window's backing store.
  QImage Screen() {
    form->Refresh();
    return window->screen()->grabWindow(window->winId()).toImage();
  }
  static QRgb Rgb(TColor colour) {
    return qRgb(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
  }
  QWidget* WidgetOf(TControl* control) { return Backend().WidgetOf(*control); }
  void Summon() {
    static_cast<QPushButton*>(WidgetOf(form->Button5))->click();
    QApplication::processEvents();
  }

  std::unique_ptr<TApplication> app_;
  TForm1* form = nullptr;
  QWidget* window = nullptr;
};

TEST_F(QtFormTest, TitleScreenIsABorderless462By301WindowCentred) {
  EXPECT_EQ(window->size(), QSize(462, 301));
  EXPECT_TRUE(window->windowFlags() & Qt::FramelessWindowHint);
  QRect screen = window->screen()->geometry();
  EXPECT_EQ(window->x(), (screen.width() - 462) / 2);
  EXPECT_EQ(window->y(), (screen.height() - 301) / 2);
  EXPECT_EQ(window->windowTitle(), QStringLiteral("ZOR-ScreenSaver"));
  EXPECT_FALSE(window->windowIcon().isNull());
}

TEST_F(QtFormTest, TitleScreenColoursAndBevel) {
  QImage image = Screen();
  ASSERT_EQ(image.size(), QSize(462, 301));
  EXPECT_EQ(image.pixel(100, 100), Rgb(clBlack));
  // Panel1's raised bevel: light on the top and left edges, dark on the bottom and right.
  EXPECT_EQ(image.pixel(0, 50), qRgb(255, 255, 255));
  EXPECT_EQ(image.pixel(50, 0), qRgb(255, 255, 255));
  EXPECT_EQ(image.pixel(461, 50), qRgb(128, 128, 128));
  EXPECT_EQ(image.pixel(50, 300), qRgb(128, 128, 128));
  // Panel2 is grey, without a bevel of its own.
  EXPECT_EQ(image.pixel(8, 176), Rgb(clGray));
  EXPECT_EQ(image.pixel(456, 240), Rgb(clGray));
  EXPECT_EQ(image.pixel(300, 200), Rgb(clGray));
  EXPECT_TRUE(WidgetOf(form->Button5)->isVisible());
  EXPECT_FALSE(WidgetOf(form->Button1)->isVisible());
  EXPECT_FALSE(WidgetOf(form->HP)->isVisible());
  EXPECT_EQ(WidgetOf(form->Button5)->geometry(), QRect(192, 259, 75, 23));
}

TEST_F(QtFormTest, BattleScreenAfterTheSummon) {
  Summon();
  ASSERT_EQ(form->Stage, StageBattle);
  EXPECT_FALSE(WidgetOf(form->Button5)->isVisible());
  for (TButton* button : {form->Button1, form->Button2, form->Button3, form->Button4}) {
    EXPECT_TRUE(WidgetOf(button)->isVisible());
  }
  EXPECT_EQ(WidgetOf(form->Button4)->geometry(), QRect(320, 259, 75, 23));
  QImage image = Screen();
  QRect hp = WidgetOf(form->HP)->geometry();
  EXPECT_EQ(hp.topLeft(), QPoint(176, 16));
  EXPECT_EQ(image.pixel(hp.left() + 1, hp.top() + 1), Rgb(clGray));
  EXPECT_TRUE(window->acceptDrops());
}

TEST_F(QtFormTest, PictureShowsEachSourcePixelAsATwoByTwoBlock) {
  Summon();
  const PixelImage* source = BitmapPixels(form->Image1->Picture()->Bitmap()->Handle());
  ASSERT_NE(source, nullptr);
  QImage image = Screen();
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      QRgb expected = source->At(x, y) | 0xFF000000u;
      for (int dy = 0; dy < 2; ++dy) {
        for (int dx = 0; dx < 2; ++dx) {
          ASSERT_EQ(image.pixel(184 + 2 * x + dx, 64 + 2 * y + dy), expected)
              << "source pixel " << x << "," << y;
        }
      }
    }
  }
  EXPECT_EQ(WidgetOf(form->Image1)->cursor().shape(), Qt::ForbiddenCursor);
}

TEST_F(QtFormTest, EnterPressesTheVisibleDefaultButton) {
  QTest::keyClick(window, Qt::Key_Return);
  QApplication::processEvents();
  EXPECT_EQ(form->Stage, StageBattle);
}

TEST_F(QtFormTest, AltNPressesNext) {
  QApplication::setActiveWindow(window);
  (void)QTest::qWaitForWindowActive(window);
  // Through the window system, as a real key press comes, so that shortcuts are matched.
  QTest::keyClick(window->windowHandle(), Qt::Key_N, Qt::AltModifier);
  // An accelerator presses the button the way a click does, which releases a moment later.
  EXPECT_TRUE(QTest::qWaitFor([&] { return form->Stage == StageBattle; }, 5000));
}

TEST_F(QtFormTest, DisabledDefaultButtonTakesNoEnter) {
  form->Button5->SetEnabled(false);
  QTest::keyClick(window, Qt::Key_Return);
  QApplication::processEvents();
  EXPECT_EQ(form->Stage, StageTitle);
}

TEST_F(QtFormTest, DoubleAmpersandShowsOneAmpersand) {
  form->Mes1->SetCaption(Sjis("R&&D"));
  auto* label = static_cast<LabelWidget*>(WidgetOf(form->Mes1));
  QFontMetrics metrics(label->font());
  EXPECT_EQ(label->TextSize().width(),
            metrics.size(Qt::TextSingleLine, QStringLiteral("R&D")).width());
  EXPECT_LT(label->TextSize().width(),
            metrics.size(Qt::TextSingleLine, QStringLiteral("R&&D")).width());
  EXPECT_EQ(label->accessibleName(), QStringLiteral("R&D"));
  form->Mes2->SetCaption(Sjis("&Next"));
  EXPECT_EQ(WidgetOf(form->Mes2)->accessibleName(), QStringLiteral("Next"));
}

TEST_F(QtFormTest, LabelsSizeThemselvesToTheirText) {
  form->Mes1->SetCaption(Sjis("短い"));
  int narrow = WidgetOf(form->Mes1)->width();
  form->Mes1->SetCaption(Sjis("ずっとずっと長い一行のテキスト"));
  EXPECT_GT(WidgetOf(form->Mes1)->width(), narrow);
  EXPECT_EQ(WidgetOf(form->Mes1)->pos(), QPoint(16, 9));
}

TEST_F(QtFormTest, ChangesShowOnlyAtTheNextRepaint) {
  QImage before = Screen();
  form->Panel1->SetColor(clRed);
  QImage unchanged = window->screen()->grabWindow(window->winId()).toImage();
  EXPECT_EQ(unchanged.pixel(100, 100), Rgb(clBlack));
  EXPECT_EQ(Screen().pixel(100, 100), Rgb(clRed));
  (void)before;
}

TEST_F(QtFormTest, WindowMovesBeforeTheSleepThatFollows) {
  int left = window->x();
  form->SetLeft(form->Left() - 10);
  Sleep(1);
  EXPECT_EQ(window->x(), left - 10);
  form->SetLeft(form->Left() + 10);
  Sleep(1);
  EXPECT_EQ(window->x(), left);
}

TEST_F(QtFormTest, GeometrySetStepByStepGoesOutWhole) {
  form->SetLeft(-1);
  form->SetTop(-1);
  form->SetHeight(window->screen()->geometry().height() + 2);
  form->SetWidth(window->screen()->geometry().width() + 2);
  form->Refresh();
  QRect screen = window->screen()->geometry();
  EXPECT_EQ(window->geometry(), QRect(-1, -1, screen.width() + 2, screen.height() + 2));
  EXPECT_EQ(WidgetOf(form->Panel1)->size(), window->size());
}

TEST_F(QtFormTest, ExceptionInAHandlerReachesTheErrorBoxAndTheProgramGoesOn) {
  form->Button5->OnClick = [](TObject*) { throw Exception(Sjis("テストの例外")); };
  QString text, title;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    text = box->text();
    title = box->windowTitle();
    icon = box->icon();
    box->accept();
  });
  static_cast<QPushButton*>(WidgetOf(form->Button5))->click();
  EXPECT_EQ(text, QStringLiteral("テストの例外."));
  EXPECT_EQ(title, QStringLiteral("ZOR-ScreenSaver"));
  EXPECT_EQ(icon, QMessageBox::Critical);
  EXPECT_TRUE(window->isVisible());
  EXPECT_FALSE(Application->Terminated());
}

TEST_F(QtFormTest, YesNoBoxHasJapaneseButtonsAndReturnsTheAnswer) {
  QStringList buttons;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    for (QAbstractButton* button : box->buttons()) buttons << button->text();
    EXPECT_TRUE(box->isModal());
    for (QAbstractButton* button : box->buttons()) {
      if (button->text() == QStringLiteral("はい(&Y)")) button->click();
    }
  });
  int answer =
      Application->MessageBox(Sjis("終了したいですか？"), Sjis("敗北"), MB_YESNO | MB_ICONQUESTION);
  EXPECT_EQ(answer, IDYES);
  buttons.sort();
  EXPECT_EQ(buttons, (QStringList{QStringLiteral("いいえ(&N)"), QStringLiteral("はい(&Y)")}));
}

TEST_F(QtFormTest, PostedMessageIsHandledWhenMessagesAreProcessed) {
  Summon();
  form->Stage = StageThanks;
  int before = form->PlayerHP;
  PostMessageA(form->Handle(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(Application->Terminated());
  Application->ProcessMessages();
  EXPECT_FALSE(Application->Terminated());  // AllowClose is false after the summon
  EXPECT_EQ(form->PlayerHP, before);
}

}  // namespace
