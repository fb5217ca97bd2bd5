// The control classes the game's form is made of: panels, labels, buttons and an image.
// Property setters only record the new value and tell the backend; the change shows at the
// next repaint. Moves and resizes of the form itself take effect at once (see TForm).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/win32/ansi_string.h"
#include "platform/win32/types.h"

class TObject {
 public:
  virtual ~TObject() = default;
};

using TNotifyEvent = std::function<void(TObject* sender)>;
using TCloseQueryEvent = std::function<void(TObject* sender, bool& can_close)>;

// Standard colours, as 0x00BBGGRR.
constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
// The system's colours: the backend draws them in the desktop's palette.
constexpr TColor clWindowText = 0x80000008;
constexpr TColor clBtnFace = 0x8000000F;

enum class TControlKind { kForm, kPanel, kLabel, kButton, kImage };
enum class TAlign { alNone, alClient };
enum class TBevelCut { bvNone, bvRaised, bvLowered };
enum class TCursor { crDefault, crNo };

class TComponent : public TObject {
 public:
  const std::string& Name() const { return name_; }
  void SetName(std::string name) { name_ = std::move(name); }
  int Tag() const { return tag_; }
  void SetTag(int tag) { tag_ = tag; }

 private:
  std::string name_;
  int tag_ = 0;
};

class TControl : public TComponent {
 public:
  explicit TControl(TControlKind kind) : kind_(kind) {}
  TControlKind Kind() const { return kind_; }

  TControl* Parent() const { return parent_; }
  void SetParent(TControl* parent);
  const std::vector<TControl*>& Controls() const { return children_; }

  const AnsiString& Caption() const { return caption_; }
  void SetCaption(const AnsiString& caption);
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  // Visible, and every parent visible too: what the user can see.
  bool Showing() const;

  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetLeft(int left);
  void SetTop(int top);
  void SetWidth(int width);
  void SetHeight(int height);
  void SetBounds(int left, int top, int width, int height);

  TAlign Align() const { return align_; }
  void SetAlign(TAlign align);
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor cursor);
  int TabOrder() const { return tab_order_; }
  void SetTabOrder(int order) { tab_order_ = order; }

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  // Run the click or double-click handler as the user's input does.
  void Click();
  void DblClick();

 protected:
  // Tells the backend that something it draws has changed.
  void Changed();
  virtual void BoundsChanged() { Changed(); }

 private:
  TControlKind kind_;
  TControl* parent_ = nullptr;
  std::vector<TControl*> children_;
  AnsiString caption_;
  TColor color_ = clBtnFace;
  bool visible_ = true;
  bool enabled_ = true;
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  TAlign align_ = TAlign::alNone;
  TCursor cursor_ = TCursor::crDefault;
  int tab_order_ = 0;
};

class TPanel : public TControl {
 public:
  TPanel() : TControl(TControlKind::kPanel) {}
  TBevelCut BevelOuter() const { return bevel_outer_; }
  void SetBevelOuter(TBevelCut bevel);

 private:
  TBevelCut bevel_outer_ = TBevelCut::bvRaised;
};

// A label sizes itself to its text on one line; "&" marks the accelerator, "&&" shows "&".
class TLabel : public TControl {
 public:
  TLabel() : TControl(TControlKind::kLabel) {}
};

class TButton : public TControl {
 public:
  TButton() : TControl(TControlKind::kButton) {}
  // Enter presses the visible, enabled default button.
  bool Default() const { return default_; }
  void SetDefault(bool value) { default_ = value; }
  bool TabStop() const { return tab_stop_; }
  void SetTabStop(bool value) { tab_stop_ = value; }

 private:
  bool default_ = false;
  bool tab_stop_ = true;
};

class TImage;

// A bitmap held by an image. It owns its handle and releases it when replaced or destroyed.
class TBitmap {
 public:
  explicit TBitmap(TImage& owner) : owner_(owner) {}
  ~TBitmap();
  TBitmap(const TBitmap&) = delete;
  TBitmap& operator=(const TBitmap&) = delete;
  HBITMAP Handle() const { return handle_; }
  void SetHandle(HBITMAP handle);

 private:
  TImage& owner_;
  HBITMAP handle_ = nullptr;
};

class TPicture {
 public:
  explicit TPicture(TImage& owner) : bitmap_(owner) {}
  TBitmap* Bitmap() { return &bitmap_; }

 private:
  TBitmap bitmap_;
};

class TImage : public TControl {
 public:
  TImage() : TControl(TControlKind::kImage), picture_(*this) {}
  TPicture* Picture() { return &picture_; }
  // Draw the picture scaled to the image's size.
  bool Stretch() const { return stretch_; }
  void SetStretch(bool value) { stretch_ = value; }

 private:
  friend class TBitmap;
  void PictureChanged() { Changed(); }
  TPicture picture_;
  bool stretch_ = false;
};
