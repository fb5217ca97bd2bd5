#include "battle/lines.h"

AnsiString BlowLine(const AnsiString& monster_name, int damage) {
  return monster_name + Sjis("に ") + IntToStr(damage) + Sjis(" のダメージをあたえた！");
}

AnsiString HurtLine(int damage) {
  return Sjis("あなたは ") + IntToStr(damage) + Sjis(" のダメージをうけた！");
}
