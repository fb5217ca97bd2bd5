// The Qt 6 backend: the game's real window on an X11 desktop.
#pragma once

#include <QApplication>
#include <QRect>
#include <atomic>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/qt/sleep_timeline.h"
#include "platform/vcl/backend.h"
#include "platform/vcl/forms.h"

class FormWidget;
class QWidget;

class QtBackend : public Backend {
 public:
  // Makes the QApplication. The display must have been checked before (PrepareDisplay).
  QtBackend(int& argc, char** argv);
  ~QtBackend() override;

  void CreateNativeForm(TForm& form) override;
  void DestroyNativeForm(TForm& form) override;
  void ControlChanged(TControl& control) override;
  void FormBoundsChanged(TForm& form) override;
  void RepaintNow() override;
  void Sleep(DWORD milliseconds) override;
  DWORD TickCount() override;
  void ProcessMessages() override;
  int MessageBox(const AnsiString& text, const AnsiString& caption, UINT style) override;
  void PostMessage(TForm& form, UINT message, WPARAM wparam, LPARAM lparam) override;
  void Run(TForm& main_form) override;
  void Terminate() override;
  void SetDropsAccepted(TForm& form, bool accepted) override;
  void HideTaskbarButton() override;
  void BringToFront(TForm& form) override;
  int ScreenWidth() override;
  int ScreenHeight() override;

  // Runs `action` once Run has shown the main form and painted its first frame, before the
  // first message is handled.
  void AfterFirstFrame(std::function<void()> action) { after_first_frame_ = std::move(action); }

  // Run without the message loop: centres and shows the main form, and waits until the
  // window system has shown it.
  bool ShowMainForm(TForm& main_form);

  // For the form widget: messages that arrive while the backend waits for the window
  // system are held back, so that no handler runs inside a repaint.
  bool HoldingMessages() const { return holding_messages_; }
  void HoldMessage(const TMessage& message) { held_messages_.push_back(message); }
  // The widget that draws a control, or null.
  QWidget* WidgetOf(const TControl& control) const;
  FormWidget* MainWidget() const { return form_widget_.load(); }

 private:
  void CreateWidget(TControl& control);
  void Sync(TControl& control);
  void SyncGeometry(TControl& control, QWidget& widget);
  void ApplyPendingGeometry();
  void WaitForWindowSize();
  void WaitForExposure();
  void FlushDisplay();

  std::unique_ptr<QApplication> app_;
  TForm* form_ = nullptr;
  std::atomic<FormWidget*> form_widget_{nullptr};
  std::unordered_map<const TControl*, QWidget*> widgets_;
  bool geometry_pending_ = false;
  bool size_pending_ = false;
  bool holding_messages_ = false;
  std::vector<TMessage> held_messages_;
  bool taskbar_hidden_ = false;
  SleepTimeline timeline_;
  std::function<void()> after_first_frame_;
};

// Checks that there is a display to show the window on, and picks the X11 platform on a
// Wayland session (the game places its own window). Prints one line on stderr and returns
// false when there is none.
bool PrepareDisplay();
