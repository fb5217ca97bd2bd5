// Double-clicks on the HP label: teasing during the battle, a heal after it.
#include "app/form1.h"
#include "extras/hp_messages.h"

void TForm1::HPDblClick(TObject*) {
  if (Stage <= StageBattle) {
    ++HPClickCount;
    if (HPClickCount > 50u) return;
    if (const char* text = HPClickMessage(HPClickCount)) {
      Application->MessageBox(Sjis(text), Sjis("メッセージ"), MB_ICONINFORMATION);
    }
    return;
  }
  if (PlayerHP >= 999) return;
  ++PlayerHP;
  UpdateHPLabel();
  if (PlayerHP > 9) HP->SetColor(clGray);
}
