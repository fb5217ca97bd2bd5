#include "platform/vcl/form_loader.h"

#include <cctype>
#include <charconv>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/vcl/exception.h"
#include "platform/vcl/forms.h"

namespace {

struct Value {
  enum class Type { kInteger, kIdentifier, kString, kSet } type = Type::kIdentifier;
  long long integer = 0;
  std::string text;  // identifier, or the string's UTF-8 contents
  std::vector<std::string> items;
};

class Loader {
 public:
  Loader(TForm& form, std::string_view resource_name)
      : form_(form), resource_name_(resource_name) {}

  void Load(std::string_view text);

 private:
  [[noreturn]] void Fail(const std::string& what) const {
    throw Exception("フォーム記述 " + resource_name_ + " の " + std::to_string(line_number_) +
                    " 行目: " + what);
  }

  void HandleLine(std::string_view line);
  void BeginObject(std::string_view rest);
  void SetProperty(std::string_view name, std::string_view value_text);
  Value ParseValue(std::string_view text) const;
  std::unique_ptr<TControl> MakeControl(std::string_view kind) const;

  long long Integer(const Value& value, std::string_view property) const;
  bool Boolean(const Value& value, std::string_view property) const;
  const std::string& Identifier(const Value& value, std::string_view property) const;
  std::string String(const Value& value, std::string_view property) const;
  TColor Colour(const Value& value, std::string_view property) const;
  TNotifyEvent NotifyHandler(const Value& value, std::string_view property) const;
  [[noreturn]] void BadValue(std::string_view property) const {
    Fail("プロパティ " + std::string(property) + " の値が正しくありません");
  }

  bool SetCommon(TControl& control, std::string_view name, const Value& value);
  bool SetFormOnly(std::string_view name, const Value& value);
  bool SetKindSpecific(TControl& control, std::string_view name, const Value& value);

  TForm& form_;
  std::string resource_name_;
  int line_number_ = 0;
  std::vector<TControl*> open_;  // the objects whose "end" has not come yet
  bool root_done_ = false;
};

std::string_view Trim(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) {
    text.remove_prefix(1);
  }
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) {
    text.remove_suffix(1);
  }
  return text;
}

bool IsIdentifier(std::string_view text) {
  if (text.empty() || !(std::isalpha(static_cast<unsigned char>(text[0])) || text[0] == '_')) {
    return false;
  }
  for (char c : text) {
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '.') return false;
  }
  return true;
}

const std::map<std::string, TColor, std::less<>>& ColourNames() {
  static const std::map<std::string, TColor, std::less<>> names = {{"clBlack", clBlack},
                                                                   {"clMaroon", clMaroon},
                                                                   {"clGreen", clGreen},
                                                                   {"clOlive", clOlive},
                                                                   {"clNavy", clNavy},
                                                                   {"clPurple", clPurple},
                                                                   {"clTeal", clTeal},
                                                                   {"clGray", clGray},
                                                                   {"clSilver", clSilver},
                                                                   {"clRed", clRed},
                                                                   {"clLime", clLime},
                                                                   {"clYellow", clYellow},
                                                                   {"clBlue", clBlue},
                                                                   {"clFuchsia", clFuchsia},
                                                                   {"clAqua", clAqua},
                                                                   {"clWhite", clWhite},
                                                                   {"clWindowText", clWindowText},
                                                                   {"clBtnFace", clBtnFace}};
  return names;
}

void Loader::Load(std::string_view text) {
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    ++line_number_;
    HandleLine(Trim(line));
  }
  if (!open_.empty()) Fail("\"end\" が足りません");
  if (!root_done_) Fail("object がありません");
}

void Loader::HandleLine(std::string_view line) {
  if (line.empty() || line.starts_with("//") || line.starts_with('#')) return;
  if (line == "end") {
    if (open_.empty()) Fail("対応する object のない \"end\"");
    open_.pop_back();
    if (open_.empty()) root_done_ = true;
    return;
  }
  if (line.starts_with("object ")) return BeginObject(Trim(line.substr(7)));
  if (open_.empty()) Fail("object の外に記述があります");
  std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) Fail("\"名前 = 値\" の形ではありません");
  SetProperty(Trim(line.substr(0, equals)), Trim(line.substr(equals + 1)));
}

void Loader::BeginObject(std::string_view rest) {
  std::size_t colon = rest.find(':');
  if (colon == std::string_view::npos) Fail("\"object 名前: 種類\" の形ではありません");
  std::string_view name = Trim(rest.substr(0, colon));
  std::string_view kind = Trim(rest.substr(colon + 1));
  if (!IsIdentifier(name)) Fail("コントロール名 \"" + std::string(name) + "\" が正しくありません");
  if (open_.empty()) {
    if (root_done_) Fail("フォームの object は一つだけです");
    if (!IsIdentifier(kind)) Fail("不明なコントロールの種類 \"" + std::string(kind) + "\"");
    form_.SetName(std::string(name));
    open_.push_back(&form_);
    return;
  }
  if (form_.FindComponent(name) != nullptr || form_.Name() == name) {
    Fail("コントロール名 \"" + std::string(name) + "\" が重複しています");
  }
  auto control = MakeControl(kind);
  if (!control) Fail("不明なコントロールの種類 \"" + std::string(kind) + "\"");
  control->SetName(std::string(name));
  control->SetParent(open_.back());
  // A label shows on its parent's colour unless it is given one of its own.
  if (control->Kind() == TControlKind::kLabel) control->SetColor(open_.back()->Color());
  open_.push_back(&form_.AddComponent(std::move(control)));
}

std::unique_ptr<TControl> Loader::MakeControl(std::string_view kind) const {
  if (kind == "TPanel") return std::make_unique<TPanel>();
  if (kind == "TLabel") return std::make_unique<TLabel>();
  if (kind == "TButton") return std::make_unique<TButton>();
  if (kind == "TImage") return std::make_unique<TImage>();
  return nullptr;
}

Value Loader::ParseValue(std::string_view text) const {
  Value value;
  value.type = Value::Type::kIdentifier;
  if (text.starts_with('\'')) {
    value.type = Value::Type::kString;
    std::size_t i = 1;
    for (;;) {
      if (i >= text.size()) Fail("文字列が閉じていません");
      if (text[i] == '\'') {
        if (i + 1 < text.size() && text[i + 1] == '\'') {
          value.text += '\'';
          i += 2;
          continue;
        }
        break;
      }
      value.text += text[i++];
    }
    if (!Trim(text.substr(i + 1)).empty()) Fail("文字列の後に余分な記述があります");
    return value;
  }
  if (text.starts_with('[')) {
    if (!text.ends_with(']')) Fail("集合が閉じていません");
    value.type = Value::Type::kSet;
    std::string_view inner = text.substr(1, text.size() - 2);
    while (!Trim(inner).empty()) {
      std::size_t comma = inner.find(',');
      std::string_view item = Trim(inner.substr(0, comma));
      if (!IsIdentifier(item)) Fail("集合の要素 \"" + std::string(item) + "\" が正しくありません");
      value.items.emplace_back(item);
      inner = comma == std::string_view::npos ? std::string_view() : inner.substr(comma + 1);
    }
    return value;
  }
  if (!text.empty() && (text[0] == '-' || std::isdigit(static_cast<unsigned char>(text[0])))) {
    value.type = Value::Type::kInteger;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value.integer);
    if (error != std::errc() || end != text.data() + text.size()) {
      Fail("数値 \"" + std::string(text) + "\" が正しくありません");
    }
    return value;
  }
  if (!IsIdentifier(text)) Fail("値 \"" + std::string(text) + "\" が正しくありません");
  value.text = std::string(text);
  return value;
}

long long Loader::Integer(const Value& value, std::string_view property) const {
  if (value.type != Value::Type::kInteger || value.integer < -100000 || value.integer > 100000) {
    BadValue(property);
  }
  return value.integer;
}

bool Loader::Boolean(const Value& value, std::string_view property) const {
  if (value.type == Value::Type::kIdentifier && value.text == "True") return true;
  if (value.type == Value::Type::kIdentifier && value.text == "False") return false;
  BadValue(property);
}

const std::string& Loader::Identifier(const Value& value, std::string_view property) const {
  if (value.type != Value::Type::kIdentifier) BadValue(property);
  return value.text;
}

std::string Loader::String(const Value& value, std::string_view property) const {
  if (value.type != Value::Type::kString) BadValue(property);
  return value.text;
}

TColor Loader::Colour(const Value& value, std::string_view property) const {
  if (value.type == Value::Type::kInteger && value.integer >= 0 && value.integer <= 0xFFFFFF) {
    return static_cast<TColor>(value.integer);
  }
  if (value.type == Value::Type::kIdentifier) {
    auto it = ColourNames().find(value.text);
    if (it != ColourNames().end()) return it->second;
  }
  BadValue(property);
}

TNotifyEvent Loader::NotifyHandler(const Value& value, std::string_view property) const {
  const std::string& name = Identifier(value, property);
  TNotifyEvent handler = form_.FindNotifyMethod(name);
  if (!handler) Fail("不明なハンドラ \"" + name + "\"");
  return handler;
}

bool Loader::SetCommon(TControl& control, std::string_view name, const Value& value) {
  if (name == "Left") {
    control.SetLeft(static_cast<int>(Integer(value, name)));
  } else if (name == "Top") {
    control.SetTop(static_cast<int>(Integer(value, name)));
  } else if (name == "Width") {
    control.SetWidth(static_cast<int>(Integer(value, name)));
  } else if (name == "Height") {
    control.SetHeight(static_cast<int>(Integer(value, name)));
  } else if (name == "Visible") {
    control.SetVisible(Boolean(value, name));
  } else if (name == "Enabled") {
    control.SetEnabled(Boolean(value, name));
  } else if (name == "Tag") {
    control.SetTag(static_cast<int>(Integer(value, name)));
  } else if (name == "TabOrder") {
    control.SetTabOrder(static_cast<int>(Integer(value, name)));
  } else if (name == "Caption") {
    control.SetCaption(Sjis(String(value, name)));
  } else if (name == "Color") {
    control.SetColor(Colour(value, name));
  } else if (name == "Cursor") {
    const std::string& cursor = Identifier(value, name);
    if (cursor != "crNo" && cursor != "crDefault") BadValue(name);
    control.SetCursor(cursor == "crNo" ? TCursor::crNo : TCursor::crDefault);
  } else if (name == "Align") {
    const std::string& align = Identifier(value, name);
    if (align != "alClient" && align != "alNone") BadValue(name);
    control.SetAlign(align == "alClient" ? TAlign::alClient : TAlign::alNone);
  } else if (name == "OnClick") {
    control.OnClick = NotifyHandler(value, name);
  } else if (name == "OnDblClick") {
    control.OnDblClick = NotifyHandler(value, name);
  } else {
    return false;
  }
  return true;
}

bool Loader::SetFormOnly(std::string_view name, const Value& value) {
  if (name == "ClientWidth") {
    form_.SetWidth(static_cast<int>(Integer(value, name)));
  } else if (name == "ClientHeight") {
    form_.SetHeight(static_cast<int>(Integer(value, name)));
  } else if (name == "BorderStyle") {
    const std::string& style = Identifier(value, name);
    if (style == "bsNone") {
      form_.SetBorderStyle(TFormBorderStyle::bsNone);
    } else if (style == "bsSingle") {
      form_.SetBorderStyle(TFormBorderStyle::bsSingle);
    } else if (style == "bsSizeable") {
      form_.SetBorderStyle(TFormBorderStyle::bsSizeable);
    } else {
      BadValue(name);
    }
  } else if (name == "BorderIcons") {
    if (value.type != Value::Type::kSet) BadValue(name);
  } else if (name == "Position") {
    const std::string& position = Identifier(value, name);
    if (position != "poScreenCenter" && position != "poDesigned") BadValue(name);
    form_.SetPosition(position == "poScreenCenter" ? TPosition::poScreenCenter
                                                   : TPosition::poDesigned);
  } else if (name == "Font.Name") {
    form_.Font().Name = Sjis(String(value, name));
  } else if (name == "Font.Height") {
    form_.Font().Height = static_cast<int>(Integer(value, name));
  } else if (name == "Font.Color") {
    form_.Font().Color = Colour(value, name);
  } else if (name == "Font.Charset" || name == "Font.Style" || name == "PixelsPerInch") {
    // Kept in the description for completeness; the backend's font matching does the rest.
  } else if (name == "OnCreate") {
    form_.OnCreate = NotifyHandler(value, name);
  } else if (name == "OnCloseQuery") {
    const std::string& handler_name = Identifier(value, name);
    form_.OnCloseQuery = form_.FindCloseQueryMethod(handler_name);
    if (!form_.OnCloseQuery) Fail("不明なハンドラ \"" + handler_name + "\"");
  } else {
    return false;
  }
  return true;
}

bool Loader::SetKindSpecific(TControl& control, std::string_view name, const Value& value) {
  if (auto* panel = dynamic_cast<TPanel*>(&control); panel != nullptr && name == "BevelOuter") {
    const std::string& bevel = Identifier(value, name);
    if (bevel == "bvNone") {
      panel->SetBevelOuter(TBevelCut::bvNone);
    } else if (bevel == "bvRaised") {
      panel->SetBevelOuter(TBevelCut::bvRaised);
    } else if (bevel == "bvLowered") {
      panel->SetBevelOuter(TBevelCut::bvLowered);
    } else {
      BadValue(name);
    }
    return true;
  }
  if (auto* button = dynamic_cast<TButton*>(&control); button != nullptr) {
    if (name == "Default") {
      button->SetDefault(Boolean(value, name));
      return true;
    }
    if (name == "TabStop") {
      button->SetTabStop(Boolean(value, name));
      return true;
    }
  }
  if (auto* image = dynamic_cast<TImage*>(&control); image != nullptr && name == "Stretch") {
    image->SetStretch(Boolean(value, name));
    return true;
  }
  if (control.Kind() == TControlKind::kLabel && name == "AutoSize") {
    if (!Boolean(value, name)) Fail("ラベルは常に文字に合わせた大きさです");
    return true;
  }
  return false;
}

void Loader::SetProperty(std::string_view name, std::string_view value_text) {
  Value value = ParseValue(value_text);
  TControl& control = *open_.back();
  bool is_form = &control == &form_;
  if (is_form && SetFormOnly(name, value)) return;
  if (SetCommon(control, name, value)) return;
  if (!is_form && SetKindSpecific(control, name, value)) return;
  Fail("不明なプロパティ \"" + std::string(name) + "\"");
}

}  // namespace

void LoadForm(TForm& form, std::string_view resource_name, std::string_view text) {
  Loader(form, resource_name).Load(text);
}
