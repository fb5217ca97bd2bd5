// The battle theme's loop: every time it plays to its end, start it again. Only a play that
// ran to its end (code 1) restarts it; an aborted or superseded play is left alone.
#include "app/form1.h"
#include "music/themes.h"

void TForm1::MMMciNotify(TMessage& Message) {
  if (Message.WParam == MCI_NOTIFY_SUCCESSFUL) LoopBattleTheme(Handle());
}
