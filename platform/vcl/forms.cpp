#include "platform/vcl/forms.h"

#include <algorithm>
#include <mutex>
#include <set>

#include "platform/vcl/backend.h"
#include "platform/vcl/exception.h"
#include "platform/vcl/form_loader.h"
#include "platform/win32/resources.h"

TApplication* Application = nullptr;

namespace {

// Live forms by handle. Messages may be posted to a handle from the audio thread, so the
// set is guarded.
std::mutex g_forms_mutex;
std::set<const TForm*> g_live_forms;

}  // namespace

TForm* FindFormByHandle(HWND handle) {
  std::lock_guard lock(g_forms_mutex);
  auto it = g_live_forms.find(reinterpret_cast<const TForm*>(handle));
  return it == g_live_forms.end() ? nullptr : const_cast<TForm*>(*it);
}

void RunHandler(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& error) {
    if (Application != nullptr) Application->ShowException(error);
  }
}

TForm::TForm() : TControl(TControlKind::kForm) {
  std::lock_guard lock(g_forms_mutex);
  g_live_forms.insert(this);
}

TForm::~TForm() {
  {
    std::lock_guard lock(g_forms_mutex);
    g_live_forms.erase(this);
  }
  Backend* backend = CurrentBackendOrNull();
  if (native_created_ && backend != nullptr) backend->DestroyNativeForm(*this);
}

HWND TForm::Handle() const { return reinterpret_cast<HWND>(const_cast<TForm*>(this)); }

bool TForm::CloseQuery() {
  bool can_close = true;
  if (OnCloseQuery) OnCloseQuery(this, can_close);
  return can_close;
}

void TForm::Close() {
  if (!CloseQuery()) return;
  if (Application != nullptr && Application->MainForm() == this) Application->Terminate();
}

void TForm::Refresh() { CurrentBackend().RepaintNow(); }

void TForm::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_CLOSE:
      Close();
      break;
    case WM_QUERYENDSESSION:
      message.Result = CloseQuery() ? TRUE : FALSE;
      break;
    default:
      break;
  }
}

void TForm::Perform(TMessage& message) {
  RunHandler([&] { Dispatch(message); });
}

TControl* TForm::FindComponent(std::string_view name) const {
  auto it = std::find_if(components_.begin(), components_.end(),
                         [&](const auto& control) { return control->Name() == name; });
  return it == components_.end() ? nullptr : it->get();
}

TControl& TForm::AddComponent(std::unique_ptr<TControl> control) {
  components_.push_back(std::move(control));
  return *components_.back();
}

TNotifyEvent TForm::FindNotifyMethod(std::string_view) { return {}; }

TCloseQueryEvent TForm::FindCloseQueryMethod(std::string_view) { return {}; }

void TForm::LoadFromResource(const char* resource_name) {
  auto text = FindResourceData(resource_name);
  if (!text) {
    throw Exception("フォーム記述 " + std::string(resource_name) + " が見つかりません");
  }
  resource_name_ = resource_name;
  LoadForm(*this, resource_name,
           std::string_view(reinterpret_cast<const char*>(text->data()), text->size()));
  CurrentBackend().CreateNativeForm(*this);
  native_created_ = true;
}

void TForm::BoundsChanged() {
  // A control aligned to the client area follows the form's size.
  for (TControl* child : Controls()) {
    if (child->Align() == TAlign::alClient &&
        (child->Left() != 0 || child->Top() != 0 || child->Width() != Width() ||
         child->Height() != Height())) {
      child->SetBounds(0, 0, Width(), Height());
    }
  }
  if (native_created_) CurrentBackend().FormBoundsChanged(*this);
}

void TForm::MissingField(std::string_view name) const {
  throw Exception("フォーム記述 " + resource_name_ + " にコントロール " + std::string(name) +
                  " がありません");
}

TApplication::TApplication() { Application = this; }

TApplication::~TApplication() {
  forms_.clear();
  if (Application == this) Application = nullptr;
}

void TApplication::AdoptForm(std::unique_ptr<TForm> form) {
  TForm& adopted = *form;
  forms_.push_back(std::move(form));
  if (main_form_ == nullptr) main_form_ = &adopted;
  if (adopted.OnCreate) adopted.OnCreate(&adopted);
}

void TApplication::Run() {
  if (main_form_ == nullptr || terminated_) return;
  CurrentBackend().Run(*main_form_);
}

void TApplication::ProcessMessages() { CurrentBackend().ProcessMessages(); }

int TApplication::MessageBox(const AnsiString& text, const AnsiString& caption, UINT flags) {
  return CurrentBackend().MessageBox(text, caption, flags);
}

void TApplication::ShowException(const std::exception& error) {
  const auto* own = dynamic_cast<const Exception*>(&error);
  AnsiString message = own != nullptr ? own->Message() : SjisLossy(error.what());
  MessageBox(message + AnsiString::FromBytes("."), title_, MB_OK | MB_ICONHAND);
}

void TApplication::Terminate() {
  terminated_ = true;
  CurrentBackend().Terminate();
}

HWND TApplication::Handle() const {
  return reinterpret_cast<HWND>(const_cast<TApplication*>(this));
}
