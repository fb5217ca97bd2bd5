// The form and the application object.
#pragma once

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/vcl/controls.h"
#include "platform/win32/ansi_string.h"
#include "platform/win32/types.h"

struct TMessage {
  UINT Msg = 0;
  WPARAM WParam = 0;
  LPARAM LParam = 0;
  LRESULT Result = 0;
};

struct TFont {
  AnsiString Name;
  int Height = -12;  // negative: character height in pixels
  TColor Color = clWindowText;
};

enum class TFormBorderStyle { bsNone, bsSingle, bsSizeable };
enum class TPosition { poDesigned, poScreenCenter };

class TForm : public TControl {
 public:
  TForm();
  ~TForm() override;
  TForm(const TForm&) = delete;
  TForm& operator=(const TForm&) = delete;

  // The native window. Valid for the form's whole life.
  HWND Handle() const;

  // Asks the close query; when it grants the close of the main form, the message loop ends
  // once the running handler has returned.
  void Close();
  // The close query alone: true when the form may close.
  bool CloseQuery();
  // Repaints every pending change at once.
  void Refresh();
  // Runs the handler for a message. Forms that handle messages of their own override it and
  // pass every other message back here.
  virtual void Dispatch(TMessage& message);
  // Delivers a message from the backend to Dispatch, guarded like every handler.
  void Perform(TMessage& message);

  TNotifyEvent OnCreate;
  TCloseQueryEvent OnCloseQuery;

  TFont& Font() { return font_; }
  TFormBorderStyle BorderStyle() const { return border_style_; }
  void SetBorderStyle(TFormBorderStyle style) { border_style_ = style; }
  TPosition Position() const { return position_; }
  void SetPosition(TPosition position) { position_ = position; }

  // Every control the form owns, in the order the form description created them.
  const std::vector<std::unique_ptr<TControl>>& Components() const { return components_; }
  TControl* FindComponent(std::string_view name) const;
  TControl& AddComponent(std::unique_ptr<TControl> control);

  // Published handlers, looked up by name when the form description binds events. An empty
  // result means the form has no handler of that name.
  virtual TNotifyEvent FindNotifyMethod(std::string_view name);
  virtual TCloseQueryEvent FindCloseQueryMethod(std::string_view name);

 protected:
  // Builds the controls from the form description resource and makes the native window.
  void LoadFromResource(const char* resource_name);
  // A control the form description must have made, of the kind the form declares.
  template <typename T>
  T* Field(std::string_view name) {
    T* control = dynamic_cast<T*>(FindComponent(name));
    if (control == nullptr) MissingField(name);
    return control;
  }

 private:
  void BoundsChanged() override;
  [[noreturn]] void MissingField(std::string_view name) const;

  std::vector<std::unique_ptr<TControl>> components_;
  TFont font_;
  TFormBorderStyle border_style_ = TFormBorderStyle::bsSizeable;
  TPosition position_ = TPosition::poDesigned;
  bool native_created_ = false;
  std::string resource_name_;
};

class TApplication {
 public:
  TApplication();
  ~TApplication();
  TApplication(const TApplication&) = delete;
  TApplication& operator=(const TApplication&) = delete;

  void Initialize() {}
  const AnsiString& Title() const { return title_; }
  void SetTitle(const AnsiString& title) { title_ = title; }

  // Creates a form; the first one created is the main form, and closing it ends the program.
  template <typename T>
  void CreateForm(T*& reference) {
    auto form = std::make_unique<T>();
    reference = form.get();
    AdoptForm(std::move(form));
  }
  TForm* MainForm() const { return main_form_; }

  // Shows the main form and handles messages until the main form closes.
  void Run();
  void ProcessMessages();
  int MessageBox(const AnsiString& text, const AnsiString& caption, UINT flags);
  // The error box: the exception's message with a full stop, titled with the title.
  void ShowException(const std::exception& error);
  void Terminate();
  bool Terminated() const { return terminated_; }
  // The application's own window, which owns the taskbar button.
  HWND Handle() const;

 private:
  void AdoptForm(std::unique_ptr<TForm> form);
  AnsiString title_;
  std::vector<std::unique_ptr<TForm>> forms_;
  TForm* main_form_ = nullptr;
  bool terminated_ = false;
};

extern TApplication* Application;

// Runs an event handler; an exception that escapes it is shown in the error box and the
// program goes on.
void RunHandler(const std::function<void()>& handler);

// The form behind a window handle, or null when no live form has it.
TForm* FindFormByHandle(HWND handle);
