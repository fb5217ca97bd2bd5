#include "platform/vcl/controls.h"

#include "platform/vcl/backend.h"
#include "platform/vcl/forms.h"
#include "platform/win32/bitmaps.h"

void TControl::SetParent(TControl* parent) {
  parent_ = parent;
  if (parent != nullptr) parent->children_.push_back(this);
}

void TControl::SetCaption(const AnsiString& caption) {
  caption_ = caption;
  Changed();
}

void TControl::SetColor(TColor color) {
  color_ = color;
  Changed();
}

void TControl::SetVisible(bool visible) {
  visible_ = visible;
  Changed();
}

void TControl::SetEnabled(bool enabled) {
  enabled_ = enabled;
  Changed();
}

bool TControl::Showing() const {
  for (const TControl* control = this; control != nullptr; control = control->parent_) {
    if (!control->visible_) return false;
  }
  return true;
}

void TControl::SetLeft(int left) {
  left_ = left;
  BoundsChanged();
}

void TControl::SetTop(int top) {
  top_ = top;
  BoundsChanged();
}

void TControl::SetWidth(int width) {
  width_ = width;
  BoundsChanged();
}

void TControl::SetHeight(int height) {
  height_ = height;
  BoundsChanged();
}

void TControl::SetBounds(int left, int top, int width, int height) {
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  BoundsChanged();
}

void TControl::SetAlign(TAlign align) {
  align_ = align;
  Changed();
}

void TControl::SetCursor(TCursor cursor) {
  cursor_ = cursor;
  Changed();
}

void TControl::Click() {
  RunHandler([this] {
    if (OnClick) OnClick(this);
  });
}

void TControl::DblClick() {
  RunHandler([this] {
    if (OnDblClick) OnDblClick(this);
  });
}

void TControl::Changed() { CurrentBackend().ControlChanged(*this); }

void TPanel::SetBevelOuter(TBevelCut bevel) {
  bevel_outer_ = bevel;
  Changed();
}

TBitmap::~TBitmap() { DeleteObject(handle_); }

void TBitmap::SetHandle(HBITMAP handle) {
  if (handle == handle_) return;
  DeleteObject(handle_);
  handle_ = handle;
  owner_.PictureChanged();
}
