// The interface a backend implements: the real window (Qt) or the test rig. The VCL
// stand-in forwards every operation that reaches the screen, the clock or the input to it.
#pragma once

#include "platform/win32/ansi_string.h"
#include "platform/win32/types.h"

class TControl;
class TForm;

class Backend {
 public:
  virtual ~Backend() = default;

  // Builds the native window and its controls once the form has been loaded, and removes
  // them again before the form is destroyed.
  virtual void CreateNativeForm(TForm& form) = 0;
  virtual void DestroyNativeForm(TForm& form) = 0;
  // A control's caption, colour, visibility, enabled state, bounds or picture changed. The
  // change shows at the next repaint, never by itself.
  virtual void ControlChanged(TControl& control) = 0;
  // The form's position or size changed. This takes effect on screen at once.
  virtual void FormBoundsChanged(TForm& form) = 0;

  // Every pending change is on screen before this returns.
  virtual void RepaintNow() = 0;
  // Blocks the user-interface thread: nothing is painted and no input is handled.
  virtual void Sleep(DWORD milliseconds) = 0;
  virtual DWORD TickCount() = 0;
  // Handles every waiting message (input, paints, posted messages) and returns.
  virtual void ProcessMessages() = 0;
  // A modal box; returns the button pressed (IDOK, IDYES, IDNO).
  virtual int MessageBox(const AnsiString& text, const AnsiString& caption, UINT style) = 0;
  // Queues a message for the form; safe from any thread.
  virtual void PostMessage(TForm& form, UINT message, WPARAM wparam, LPARAM lparam) = 0;

  // Shows the main form and handles messages until Terminate.
  virtual void Run(TForm& main_form) = 0;
  // Ends the message loop once the running handler has returned to it.
  virtual void Terminate() = 0;

  virtual void SetDropsAccepted(TForm& form, bool accepted) = 0;
  virtual void HideTaskbarButton() = 0;
  virtual void BringToFront(TForm& form) = 0;
  virtual int ScreenWidth() = 0;
  virtual int ScreenHeight() = 0;
};

// The backend the program runs on. The program entry sets the Qt backend; tests set the rig.
void SetBackend(Backend* backend);
Backend& CurrentBackend();
// The backend, or null when none is set (as while the program winds down).
Backend* CurrentBackendOrNull();
