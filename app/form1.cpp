#include "app/form1.h"

#include <map>
#include <string>

TForm1* Form1 = nullptr;

namespace {

using NotifyMethod = void (TForm1::*)(TObject*);

const std::map<std::string, NotifyMethod, std::less<>>& NotifyMethods() {
  static const std::map<std::string, NotifyMethod, std::less<>> methods = {
      {"FormCreate", &TForm1::FormCreate},
      {"Button5Click", &TForm1::Button5Click},
      {"Button1Click", &TForm1::Button1Click},
      {"Button6Click", &TForm1::Button6Click},
      {"HPDblClick", &TForm1::HPDblClick}};
  return methods;
}

}  // namespace

TForm1::TForm1() {
  LoadFromResource("TFORM1");
  Panel1 = Field<TPanel>("Panel1");
  Button1 = Field<TButton>("Button1");
  Button2 = Field<TButton>("Button2");
  Button3 = Field<TButton>("Button3");
  Button4 = Field<TButton>("Button4");
  Panel2 = Field<TPanel>("Panel2");
  Mes1 = Field<TLabel>("Mes1");
  Mes2 = Field<TLabel>("Mes2");
  Mes3 = Field<TLabel>("Mes3");
  Button5 = Field<TButton>("Button5");
  Image1 = Field<TImage>("Image1");
  HP = Field<TLabel>("HP");
  Button6 = Field<TButton>("Button6");
  MonsterName = AnsiString();
}

TForm1::~TForm1() {
  if (Form1 == this) Form1 = nullptr;
}

void TForm1::FormCreate(TObject*) {
  AllowClose = true;
  Stage = StageTitle;
  MonsterHP = 50;
  PlayerHP = 50;
}

void TForm1::FormCloseQuery(TObject*, bool& CanClose) { CanClose = AllowClose; }

void TForm1::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_DROPFILES:
      WMDropFiles(Message);
      break;
    case MM_MCINOTIFY:
      MMMciNotify(Message);
      break;
    default:
      TForm::Dispatch(Message);
      break;
  }
}

TNotifyEvent TForm1::FindNotifyMethod(std::string_view name) {
  auto it = NotifyMethods().find(name);
  if (it == NotifyMethods().end()) return {};
  NotifyMethod method = it->second;
  return [this, method](TObject* sender) { (this->*method)(sender); };
}

TCloseQueryEvent TForm1::FindCloseQueryMethod(std::string_view name) {
  if (name != "FormCloseQuery") return {};
  return [this](TObject* sender, bool& can_close) { FormCloseQuery(sender, can_close); };
}
