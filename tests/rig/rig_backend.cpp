#include "tests/rig/rig_backend.h"

#include <utility>

#include "platform/win32/mmsystem.h"
#include "platform/win32/shellapi.h"

namespace rig {

RigBackend::RigBackend() {
  SetMciCommandHandler([this](LPCSTR command, HWND callback) {
    Record(EventKind::kMci, command, callback != nullptr ? 1 : 0);
    return mci_result_;
  });
}

RigBackend::~RigBackend() { SetMciCommandHandler(nullptr); }

void RigBackend::ScriptTicks(std::vector<DWORD> readings) {
  ticks_.assign(readings.begin(), readings.end());
}

void RigBackend::AnswerBoxes(std::vector<int> answers) {
  answers_.assign(answers.begin(), answers.end());
}

void RigBackend::WhileBoxOpen(std::function<void(const BoxRecord&)> action) {
  while_box_open_ = std::move(action);
}

void RigBackend::AtProcessMessages(int point, std::function<void()> action) {
  at_process_messages_[point] = std::move(action);
}

void RigBackend::SetScreenSize(int width, int height) {
  screen_width_ = width;
  screen_height_ = height;
}

bool RigBackend::Click(TControl& control) {
  if (box_depth_ > 0 || !control.Showing() || !control.Enabled()) return false;
  control.Click();
  if (box_depth_ == 0) Idle();
  return true;
}

bool RigBackend::DoubleClick(TControl& control) {
  if (box_depth_ > 0 || !control.Showing() || !control.Enabled()) return false;
  control.DblClick();
  if (box_depth_ == 0) Idle();
  return true;
}

bool RigBackend::DropFiles(std::vector<AnsiString> names) {
  if (!drops_accepted_ || form_ == nullptr || names.empty()) return false;
  HDROP drop = MakeDropHandle(std::move(names));
  Post(WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
  return true;
}

void RigBackend::RequestClose() {
  if (form_ == nullptr) return;
  TMessage message{WM_CLOSE, 0, 0, 0};
  form_->Perform(message);
}

void RigBackend::Post(UINT message, WPARAM wparam, LPARAM lparam) {
  posted_.push_back(TMessage{message, wparam, lparam, 0});
}

void RigBackend::Idle() {
  DeliverPosted();
  RecordFrame(FrameCause::kIdle);
}

std::vector<Event> RigBackend::EventsOf(EventKind kind) const {
  std::vector<Event> events;
  for (const Event& event : timeline_) {
    if (event.kind == kind) events.push_back(event);
  }
  return events;
}

std::vector<std::string> RigBackend::MciCommands() const {
  std::vector<std::string> commands;
  for (const Event& event : EventsOf(EventKind::kMci)) commands.push_back(event.text);
  return commands;
}

DWORD RigBackend::TotalSleep() const {
  DWORD total = 0;
  for (const Event& event : EventsOf(EventKind::kSleep)) total += static_cast<DWORD>(event.value);
  return total;
}

void RigBackend::ClearRecords() {
  frames_.clear();
  timeline_.clear();
  boxes_.clear();
}

void RigBackend::CreateNativeForm(TForm& form) { form_ = &form; }

void RigBackend::DestroyNativeForm(TForm& form) {
  if (form_ == &form) form_ = nullptr;
}

void RigBackend::ControlChanged(TControl&) {}

void RigBackend::FormBoundsChanged(TForm& form) {
  Record(EventKind::kFormBounds, std::to_string(form.Left()) + "," + std::to_string(form.Top()) +
                                     "," + std::to_string(form.Width()) + "," +
                                     std::to_string(form.Height()));
}

void RigBackend::RepaintNow() {
  Record(EventKind::kRepaint);
  RecordFrame(FrameCause::kRepaint);
}

void RigBackend::Sleep(DWORD milliseconds) {
  Record(EventKind::kSleep, {}, milliseconds);
  now_ += milliseconds;
}

DWORD RigBackend::TickCount() {
  if (ticks_.empty()) return now_;
  DWORD reading = ticks_.front();
  ticks_.pop_front();
  return reading;
}

void RigBackend::ProcessMessages() {
  int point = ++process_messages_count_;
  Record(EventKind::kProcessMessages, {}, point);
  auto action = at_process_messages_.find(point);
  if (action != at_process_messages_.end()) {
    auto run = std::move(action->second);
    at_process_messages_.erase(action);
    run();
  }
  DeliverPosted();
  RecordFrame(FrameCause::kProcessMessages);
}

int RigBackend::MessageBox(const AnsiString& text, const AnsiString& caption, UINT style) {
  BoxRecord box{now_, ToUtf8(text), ToUtf8(caption), style, 0};
  Record(EventKind::kMessageBox, box.text, style);
  ++box_depth_;
  if (while_box_open_) while_box_open_(box);
  DeliverPosted();  // the box's own loop goes on handling posted messages
  --box_depth_;
  bool yes_no = (style & MB_TYPEMASK) == MB_YESNO;
  int answer = yes_no ? IDNO : IDOK;
  if (!answers_.empty()) {
    answer = answers_.front();
    answers_.pop_front();
  }
  box.answer = answer;
  boxes_.push_back(box);
  return answer;
}

void RigBackend::PostMessage(TForm&, UINT message, WPARAM wparam, LPARAM lparam) {
  Post(message, wparam, lparam);
}

void RigBackend::Run(TForm& main_form) {
  if (main_form.Position() == TPosition::poScreenCenter) {
    main_form.SetLeft((screen_width_ - main_form.Width()) / 2);
    main_form.SetTop((screen_height_ - main_form.Height()) / 2);
  }
  RecordFrame(FrameCause::kIdle);
}

void RigBackend::Terminate() {
  terminated_ = true;
  Record(EventKind::kTerminate);
}

void RigBackend::SetDropsAccepted(TForm&, bool accepted) {
  drops_accepted_ = accepted;
  Record(EventKind::kDropsAccepted, {}, accepted ? 1 : 0);
}

void RigBackend::HideTaskbarButton() {
  taskbar_hidden_ = true;
  Record(EventKind::kTaskbarHidden);
}

void RigBackend::BringToFront(TForm&) { Record(EventKind::kForeground); }

void RigBackend::Record(EventKind kind, std::string text, long long value) {
  timeline_.push_back(Event{kind, now_, std::move(text), value});
}

void RigBackend::RecordFrame(FrameCause cause) {
  if (form_ == nullptr) return;
  Frame frame;
  frame.time = now_;
  frame.cause = cause;
  frame.form_left = form_->Left();
  frame.form_top = form_->Top();
  frame.form_width = form_->Width();
  frame.form_height = form_->Height();
  for (const auto& control : form_->Components()) {
    ControlState state;
    state.caption = ToUtf8(control->Caption());
    state.color = control->Color();
    state.visible = control->Visible();
    state.showing = control->Showing();
    state.enabled = control->Enabled();
    state.left = control->Left();
    state.top = control->Top();
    state.width = control->Width();
    state.height = control->Height();
    if (auto* image = dynamic_cast<TImage*>(control.get())) {
      state.picture = image->Picture()->Bitmap()->Handle();
    }
    frame.controls[control->Name()] = state;
  }
  frames_.push_back(std::move(frame));
}

void RigBackend::DeliverPosted() {
  while (!posted_.empty() && form_ != nullptr) {
    TMessage message = posted_.front();
    posted_.pop_front();
    form_->Perform(message);
  }
}

}  // namespace rig
