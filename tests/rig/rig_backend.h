// The test rig: a backend that runs the game on a virtual clock and records everything the
// user would have seen and heard, so that every timing claim can be checked exactly.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/vcl/backend.h"
#include "platform/vcl/forms.h"

namespace rig {

// What a control looked like in one frame. Captions are UTF-8 for readable assertions.
struct ControlState {
  std::string caption;
  TColor color = 0;
  bool visible = false;  // its own Visible
  bool showing = false;  // visible with all its parents: what the user sees
  bool enabled = false;
  int left = 0, top = 0, width = 0, height = 0;
  HBITMAP picture = nullptr;
};

enum class FrameCause { kRepaint, kProcessMessages, kIdle };

// The screen at one moment: at a repaint at once, at a message-processing point, or when a
// handler has returned to the message loop.
struct Frame {
  DWORD time = 0;
  FrameCause cause = FrameCause::kIdle;
  int form_left = 0, form_top = 0, form_width = 0, form_height = 0;
  std::map<std::string, ControlState> controls;
  const ControlState& operator[](const std::string& name) const { return controls.at(name); }
};

enum class EventKind {
  kSleep,            // value: milliseconds
  kRepaint,          //
  kProcessMessages,  // value: the point's number, counted from 1
  kMessageBox,       // text, caption; value: style
  kMci,              // text: the command; value: 1 when a callback window was given
  kDropsAccepted,    // value: 1 on, 0 off
  kFormBounds,       // value: left, top, width, height packed in text as "l,t,w,h"
  kTaskbarHidden,
  kForeground,
  kTerminate,
};

struct Event {
  EventKind kind;
  DWORD time = 0;
  std::string text;
  long long value = 0;
};

struct BoxRecord {
  DWORD time = 0;
  std::string text;
  std::string caption;
  UINT style = 0;
  int answer = 0;
};

class RigBackend : public Backend {
 public:
  RigBackend();
  ~RigBackend() override;

  // --- Script ---
  // Readings the tick counter returns, in order; once used up it reads the virtual clock.
  void ScriptTicks(std::vector<DWORD> readings);
  // Answers for the boxes, in order; once used up, OK boxes answer IDOK and Yes/No boxes IDNO.
  void AnswerBoxes(std::vector<int> answers);
  // Runs while a box is open, before it is answered (the box's own message loop).
  void WhileBoxOpen(std::function<void(const BoxRecord&)> action);
  // Runs at the n-th message-processing point (counted from 1), before waiting messages.
  void AtProcessMessages(int point, std::function<void()> action);
  // What every media command returns (0: success).
  void SetMciResult(MCIERROR result) { mci_result_ = result; }
  void SetScreenSize(int width, int height);

  // --- Input, as the user gives it ---
  // A click on a control; refused (false) when it is hidden or disabled, or a box is open.
  bool Click(TControl& control);
  bool DoubleClick(TControl& control);
  // Files dropped from the file manager (CP932 names). Refused (false) at the protocol level
  // while the window takes no drops; otherwise WM_DROPFILES is posted.
  bool DropFiles(std::vector<AnsiString> names);
  // A close request from the window manager.
  void RequestClose();
  // Queues a message as another thread would.
  void Post(UINT message, WPARAM wparam, LPARAM lparam);
  // The message loop between handlers: handles waiting messages, then paints.
  void Idle();

  // --- Records ---
  DWORD Now() const { return now_; }
  const std::vector<Frame>& Frames() const { return frames_; }
  const Frame& LastFrame() const { return frames_.back(); }
  const std::vector<Event>& Timeline() const { return timeline_; }
  std::vector<Event> EventsOf(EventKind kind) const;
  const std::vector<BoxRecord>& Boxes() const { return boxes_; }
  std::vector<std::string> MciCommands() const;
  int ProcessMessagesCount() const { return process_messages_count_; }
  DWORD TotalSleep() const;
  bool DropsAccepted() const { return drops_accepted_; }
  bool TaskbarHidden() const { return taskbar_hidden_; }
  bool Terminated() const { return terminated_; }
  bool InBox() const { return box_depth_ > 0; }
  void ClearRecords();

  // --- Backend ---
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
  int ScreenWidth() override { return screen_width_; }
  int ScreenHeight() override { return screen_height_; }

 private:
  void Record(EventKind kind, std::string text = {}, long long value = 0);
  void RecordFrame(FrameCause cause);
  void DeliverPosted();

  TForm* form_ = nullptr;
  DWORD now_ = 1000;
  std::deque<DWORD> ticks_;
  std::deque<int> answers_;
  std::function<void(const BoxRecord&)> while_box_open_;
  std::map<int, std::function<void()>> at_process_messages_;
  std::deque<TMessage> posted_;
  std::vector<Frame> frames_;
  std::vector<Event> timeline_;
  std::vector<BoxRecord> boxes_;
  int process_messages_count_ = 0;
  int box_depth_ = 0;
  MCIERROR mci_result_ = 0;
  int screen_width_ = 1024;
  int screen_height_ = 768;
  bool drops_accepted_ = false;
  bool taskbar_hidden_ = false;
  bool terminated_ = false;
};

}  // namespace rig
