#include "platform/qt/qt_backend.h"

#include <fontconfig/fontconfig.h>
#include <time.h>

#include <QElapsedTimer>
#include <QFont>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSessionManager>
#include <QStyleFactory>
#include <QWindow>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <thread>
#include <utility>

#include "platform/qt/widgets.h"
#include "platform/qt/x11.h"
#include "platform/win32/bitmaps.h"
#include "platform/win32/resources.h"

namespace {

QString Text(const AnsiString& text) { return QString::fromStdString(ToUtf8(text)); }

// How long the backend waits for the window system before it paints anyway.
constexpr int kWindowSystemWaitMs = 500;

QFont GameFont(const TFont& font) {
  QFont result;
  // The Japanese proportional Gothic faces, in order of preference.
  result.setFamilies({Text(font.Name), QStringLiteral("IPAPGothic"), QStringLiteral("VL PGothic"),
                      QStringLiteral("Noto Sans CJK JP"), QStringLiteral("IPAGothic")});
  result.setPixelSize(font.Height < 0 ? -font.Height : (font.Height > 0 ? font.Height : 12));
  return result;
}

// The classic grey look of the desktop the game was made for.
QPalette ClassicPalette() {
  QPalette palette;
  const QColor face(192, 192, 192);
  palette.setColor(QPalette::Window, face);
  palette.setColor(QPalette::Button, face);
  palette.setColor(QPalette::Base, Qt::white);
  palette.setColor(QPalette::Light, Qt::white);
  palette.setColor(QPalette::Midlight, QColor(223, 223, 223));
  palette.setColor(QPalette::Mid, QColor(160, 160, 160));
  palette.setColor(QPalette::Dark, QColor(128, 128, 128));
  palette.setColor(QPalette::Shadow, Qt::black);
  palette.setColor(QPalette::WindowText, Qt::black);
  palette.setColor(QPalette::ButtonText, Qt::black);
  palette.setColor(QPalette::Text, Qt::black);
  palette.setColor(QPalette::Highlight, QColor(0, 0, 128));
  palette.setColor(QPalette::HighlightedText, Qt::white);
  palette.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(128, 128, 128));
  palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(128, 128, 128));
  palette.setColor(QPalette::Disabled, QPalette::Text, QColor(128, 128, 128));
  return palette;
}

QIcon ProgramIcon() {
  auto data = FindResourceData("MAINICON", ResourceKind::kIcon);
  if (!data) return {};
  auto image = DecodeIconFile(*data);
  if (!image) return {};
  QImage icon(image->width, image->height, QImage::Format_ARGB32);
  for (int y = 0; y < image->height; ++y) {
    for (int x = 0; x < image->width; ++x) icon.setPixel(x, y, image->At(x, y));
  }
  return QIcon(QPixmap::fromImage(icon));
}

}  // namespace

bool PrepareDisplay() {
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  bool chosen = platform != nullptr && *platform != '\0';
  if (chosen && std::string_view(platform).substr(0, 3) != "xcb") return true;
  const char* display = std::getenv("DISPLAY");
  if (display == nullptr || *display == '\0') {
    std::fprintf(stderr,
                 "zorsav: no X11 display (DISPLAY is not set); the game needs an X server or "
                 "XWayland\n");
    return false;
  }
  // Qt aborts with several lines when the server cannot be reached: ask it first.
  if (!CanReachX11Server()) {
    std::fprintf(stderr, "zorsav: cannot open the X11 display \"%s\"\n", display);
    return false;
  }
  // The game places its own window, which Wayland does not allow: use X11 (XWayland).
  if (!chosen) setenv("QT_QPA_PLATFORM", "xcb", 1);
  return true;
}

// The application, which tells the backend when the event loop itself hands out an event:
// whatever handler ran before has then returned.
class GameApplication : public QApplication {
 public:
  GameApplication(int& argc, char** argv, SleepTimeline& timeline)
      : QApplication(argc, argv), timeline_(timeline) {}

  bool notify(QObject* receiver, QEvent* event) override {
    if (depth_ == 0) timeline_.Restart(SleepTimeline::Clock::now());
    ++depth_;
    bool result = QApplication::notify(receiver, event);
    --depth_;
    return result;
  }

 private:
  SleepTimeline& timeline_;
  int depth_ = 0;
};

QtBackend::QtBackend(int& argc, char** argv) {
  // Reading the font configuration is a good part of the start-up: it runs on another core
  // while Qt connects to the X server, and is ready when the form's first text needs it.
  std::thread fonts([] { FcInit(); });
  app_ = std::make_unique<GameApplication>(argc, argv, timeline_);
  QApplication::setQuitOnLastWindowClosed(false);
  if (QStyle* style = QStyleFactory::create(QStringLiteral("Windows"))) {
    QApplication::setStyle(style);
  }
  QApplication::setPalette(ClassicPalette());
  InstallAccessibilityFactory();
  fonts.join();
#ifndef QT_NO_SESSIONMANAGER
  // A logout asks the form, like any other close request.
  QObject::connect(app_.get(), &QGuiApplication::commitDataRequest, [this](QSessionManager& m) {
    if (form_ == nullptr) return;
    TMessage message{WM_QUERYENDSESSION, 0, 0, 0};
    form_->Perform(message);
    if (message.Result == FALSE) m.cancel();
  });
#endif
}

QtBackend::~QtBackend() { app_.reset(); }

QWidget* QtBackend::WidgetOf(const TControl& control) const {
  auto it = widgets_.find(&control);
  return it == widgets_.end() ? nullptr : it->second;
}

void QtBackend::CreateNativeForm(TForm& form) {
  form_ = &form;
  auto* widget = new FormWidget(*this, form);
  widget->setFont(GameFont(form.Font()));
  QApplication::setFont(GameFont(form.Font()));
  widget->setWindowTitle(Application != nullptr ? Text(Application->Title())
                                                : QStringLiteral("ZOR-ScreenSaver"));
  widget->setWindowIcon(ProgramIcon());
  widget->setAcceptDrops(false);
  widgets_[&form] = widget;
  form_widget_.store(widget);
  for (const auto& control : form.Components()) CreateWidget(*control);
  widget->setGeometry(form.Left(), form.Top(), form.Width(), form.Height());
  for (const auto& control : form.Components()) Sync(*control);
}

void QtBackend::CreateWidget(TControl& control) {
  QWidget* parent = WidgetOf(*control.Parent());
  QWidget* widget = nullptr;
  switch (control.Kind()) {
    case TControlKind::kPanel:
      widget = new PanelWidget(static_cast<TPanel&>(control), parent);
      break;
    case TControlKind::kLabel:
      widget = new LabelWidget(static_cast<TLabel&>(control), parent);
      break;
    case TControlKind::kButton:
      widget = new ButtonWidget(static_cast<TButton&>(control), parent);
      break;
    case TControlKind::kImage:
      widget = new ImageWidget(static_cast<TImage&>(control), parent);
      break;
    case TControlKind::kForm:
      return;
  }
  widget->setAccessibleDescription(QString::fromStdString(control.Name()));
  widgets_[&control] = widget;
}

void QtBackend::DestroyNativeForm(TForm& form) {
  FormWidget* widget = form_widget_.exchange(nullptr);
  widgets_.clear();
  form_ = nullptr;
  (void)form;
  delete widget;
}

void QtBackend::ControlChanged(TControl& control) {
  if (WidgetOf(control) != nullptr && control.Kind() != TControlKind::kForm) Sync(control);
}

void QtBackend::Sync(TControl& control) {
  QWidget* widget = WidgetOf(control);
  if (widget == nullptr) return;
  if (auto* label = dynamic_cast<LabelWidget*>(widget)) label->SetText(Text(control.Caption()));
  if (auto* button = dynamic_cast<ButtonWidget*>(widget)) {
    QString text = Text(control.Caption());
    if (button->text() != text) button->setText(text);
  }
  if (auto* image = dynamic_cast<ImageWidget*>(widget)) {
    auto& timage = static_cast<TImage&>(control);
    image->SetPicture(timage.Picture()->Bitmap()->Handle());
    image->setCursor(control.Cursor() == TCursor::crNo ? Qt::ForbiddenCursor : Qt::ArrowCursor);
  }
  SyncGeometry(control, *widget);
  widget->setEnabled(control.Enabled());
  widget->setVisible(control.Visible());
  widget->update();
}

void QtBackend::SyncGeometry(TControl& control, QWidget& widget) {
  QRect bounds(control.Left(), control.Top(), control.Width(), control.Height());
  if (control.Align() == TAlign::alClient && control.Parent() != nullptr) {
    bounds = QRect(0, 0, control.Parent()->Width(), control.Parent()->Height());
  }
  if (auto* label = dynamic_cast<LabelWidget*>(&widget)) bounds.setSize(label->TextSize());
  if (widget.geometry() != bounds) widget.setGeometry(bounds);
}

// A move or resize reaches the window system before anything else can happen: before the
// next sleep, repaint, message processing or box, and at the latest when the handler
// returns. Changes made one right after the other thus go out as one request, which a
// window manager honours as a whole, where it would push a half-made geometry back on screen.
void QtBackend::FormBoundsChanged(TForm& form) {
  if (&form != form_ || form_widget_.load() == nullptr) return;
  if (geometry_pending_) return;
  geometry_pending_ = true;
  QMetaObject::invokeMethod(
      app_.get(), [this] { ApplyPendingGeometry(); }, Qt::QueuedConnection);
}

void QtBackend::ApplyPendingGeometry() {
  FormWidget* widget = form_widget_.load();
  if (!geometry_pending_ || widget == nullptr || form_ == nullptr) return;
  geometry_pending_ = false;
  QRect wanted(form_->Left(), form_->Top(), form_->Width(), form_->Height());
  if (wanted.size() != widget->size()) size_pending_ = true;
  widget->setGeometry(wanted);
  FlushX11();
}

// After a resize the window system must report the new size before a repaint can cover
// it. Messages that arrive meanwhile wait, so no handler runs inside the repaint.
void QtBackend::WaitForWindowSize() {
  FormWidget* widget = form_widget_.load();
  if (!size_pending_ || widget == nullptr || !widget->isVisible()) return;
  size_pending_ = false;
  QSize wanted(form_->Width(), form_->Height());
  holding_messages_ = true;
  QElapsedTimer timer;
  timer.start();
  while (widget->size() != wanted && timer.elapsed() < kWindowSystemWaitMs) {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 5);
  }
  holding_messages_ = false;
  for (const TMessage& message : held_messages_) {
    QCoreApplication::postEvent(widget, new WinMessageEvent(message));
  }
  held_messages_.clear();
}

void QtBackend::RepaintNow() {
  ApplyPendingGeometry();
  FormWidget* widget = form_widget_.load();
  if (widget == nullptr || !widget->isVisible()) return;
  WaitForWindowSize();
  widget->repaint();
  FlushX11();
}

void QtBackend::Sleep(DWORD milliseconds) {
  ApplyPendingGeometry();
  FlushX11();
  std::this_thread::sleep_until(
      timeline_.Deadline(SleepTimeline::Clock::now(), std::chrono::milliseconds(milliseconds)));
}

DWORD QtBackend::TickCount() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  auto ms = static_cast<unsigned long long>(now.tv_sec) * 1000ull +
            static_cast<unsigned long long>(now.tv_nsec) / 1000000ull;
  return static_cast<DWORD>(ms);
}

void QtBackend::ProcessMessages() {
  ApplyPendingGeometry();
  size_pending_ = false;
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  FlushX11();
  timeline_.Restart(SleepTimeline::Clock::now());
}

int QtBackend::MessageBox(const AnsiString& text, const AnsiString& caption, UINT style) {
  ApplyPendingGeometry();
  QMessageBox box(form_widget_.load());
  box.setWindowModality(Qt::ApplicationModal);
  box.setWindowTitle(Text(caption));
  box.setTextFormat(Qt::PlainText);
  box.setText(Text(text));
  switch (style & MB_ICONMASK) {
    case MB_ICONHAND:
      box.setIcon(QMessageBox::Critical);
      break;
    case MB_ICONQUESTION:
      box.setIcon(QMessageBox::Question);
      break;
    case MB_ICONEXCLAMATION:
      box.setIcon(QMessageBox::Warning);
      break;
    case MB_ICONINFORMATION:
      box.setIcon(QMessageBox::Information);
      break;
    default:
      break;
  }
  QPushButton* yes = nullptr;
  if ((style & MB_TYPEMASK) == MB_YESNO) {
    yes = box.addButton(QStringLiteral("はい(&Y)"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("いいえ(&N)"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
  } else {
    QPushButton* ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
  }
  for (QAbstractButton* button : box.buttons()) button->setIcon(QIcon());
  box.exec();
  timeline_.Restart(SleepTimeline::Clock::now());
  if (yes != nullptr) return box.clickedButton() == yes ? IDYES : IDNO;
  return IDOK;
}

void QtBackend::PostMessage(TForm& form, UINT message, WPARAM wparam, LPARAM lparam) {
  (void)form;
  FormWidget* widget = form_widget_.load();
  if (widget == nullptr) return;
  QCoreApplication::postEvent(widget, new WinMessageEvent(TMessage{message, wparam, lparam, 0}));
}

void QtBackend::Run(TForm& main_form) {
  if (!ShowMainForm(main_form)) return;
  if (after_first_frame_) std::exchange(after_first_frame_, nullptr)();
  if (Application != nullptr && Application->Terminated()) return;
  app_->exec();
}

bool QtBackend::ShowMainForm(TForm& main_form) {
  FormWidget* widget = form_widget_.load();
  if (widget == nullptr || &main_form != form_) return false;
  if (main_form.Position() == TPosition::poScreenCenter) {
    QRect screen = QGuiApplication::primaryScreen()->geometry();
    main_form.SetLeft(screen.x() + (screen.width() - main_form.Width()) / 2);
    main_form.SetTop(screen.y() + (screen.height() - main_form.Height()) / 2);
  }
  ApplyPendingGeometry();
  widget->show();
  if (taskbar_hidden_) SetSkipTaskbar(*widget);
  WaitForExposure();
  return true;
}

// Repainting at once needs a window the X server has shown; wait for that once.
void QtBackend::WaitForExposure() {
  FormWidget* widget = form_widget_.load();
  QElapsedTimer timer;
  timer.start();
  while (widget->windowHandle() != nullptr && !widget->windowHandle()->isExposed() &&
         timer.elapsed() < 5000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
}

void QtBackend::Terminate() { QCoreApplication::exit(0); }

void QtBackend::SetDropsAccepted(TForm& form, bool accepted) {
  if (QWidget* widget = WidgetOf(form)) widget->setAcceptDrops(accepted);
}

void QtBackend::HideTaskbarButton() {
  taskbar_hidden_ = true;
  FormWidget* widget = form_widget_.load();
  if (widget != nullptr && widget->isVisible()) SetSkipTaskbar(*widget);
}

void QtBackend::BringToFront(TForm& form) {
  if (QWidget* widget = WidgetOf(form)) {
    widget->raise();
    widget->activateWindow();
  }
}

int QtBackend::ScreenWidth() { return QGuiApplication::primaryScreen()->geometry().width(); }

int QtBackend::ScreenHeight() { return QGuiApplication::primaryScreen()->geometry().height(); }
