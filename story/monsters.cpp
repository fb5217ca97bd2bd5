#include "story/monsters.h"

#include <array>

AnsiString MonsterNameOf(int monster_no) {
  static constexpr std::array<const char*, 5> kNames = {
      "イーエックスプローラー", "ウィムドウズ", "マックロソフトＭ", "マックロソフトＳ", "ズモグ"};
  if (monster_no < 1 || monster_no > 5) return AnsiString();
  return Sjis(kNames[monster_no - 1]);
}

AnsiString MonsterBitmapName(int monster_no) {
  return AnsiString::FromBytes("B") + IntToStr(monster_no);
}
