#include "extras/hp_messages.h"

DWORD HPClickCount = 0;

const char* HPClickMessage(DWORD count) {
  switch (count) {
    case 2:
      return "いくらたたいても、回復しません。";
    case 4:
      return "無駄です。あきらめなさい。";
    case 6:
      return "しつこいと、嫌われるよ。";
    case 10:
      return "Zorsav for Linux  by ZOR-ScreenSaver Linux 移植チーム";
    case 13:
      return "このプログラムは\n\nC++20、Qt 6 と FluidSynth で\n\n作られています。";
    case 15:
      return "エクスプローラからDrag&&Drop!";
    case 20:
      return "もう何も出てこないよ。";
    case 25:
      return "さあ、戦いに専念しよう！";
    case 30:
      return "これで終わりです。";
    case 35:
      return "本当に終わりです。";
    case 40:
    case 45:
      return "････";
    case 50:
      return "期待のニューフェイス";
    default:
      return nullptr;
  }
}
