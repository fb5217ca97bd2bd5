#include "drop/events.h"

#include <string>

namespace {

using Speaker = DropEvent::Speaker;
using Middle = DropEvent::Middle;
using Effect = DropEvent::Effect;

}  // namespace

const std::vector<DropEvent>& DropEvents() {
  static const std::vector<DropEvent> events = {
      {{".EXE", ".COM", ".CMD", ".BAT", ".PIF"},
       Speaker::kMonster,
       " 「ほほう、これは美味そうな実行ファイルだ」",
       Middle::kWhiteFlashes,
       true,
       "の HP が回復してしまった。",
       Effect::kFeedMonster},
      {{".SCR"},
       Speaker::kFile,
       "  「助けに来ました！」",
       Middle::kWhiteFlashes,
       false,
       "あなたの HP が回復した。",
       Effect::kHealPlayer},
      {{".WAV"},
       Speaker::kFile,
       "  は、超音波をはなった！",
       Middle::kPause,
       true,
       "はクラクラしている！！",
       Effect::kNone},
      {{".DLL"},
       Speaker::kFile,
       "  「にげちゃだめだ！！」",
       Middle::kPause,
       false,
       "あなたは両手持ちになった！！",
       Effect::kNone},
      {{".TXT"},
       Speaker::kFile,
       "  は、にっこりほほえんでいる。",
       Middle::kNone,
       false,
       nullptr,
       Effect::kNone},
      {{".HTM", ".HTML"},
       Speaker::kFile,
       "  は、ぼーっとしている。",
       Middle::kNone,
       false,
       nullptr,
       Effect::kNone},
      {{".DOC"},
       Speaker::kFile,
       "  「フレー！　フレー！」",
       Middle::kPause,
       false,
       "あなたのかしこさが上昇した！！",
       Effect::kNone},
      {{".SYS"},
       Speaker::kFile,
       "  「まけるな～！」",
       Middle::kPause,
       false,
       "あなたの体力が上がった！！",
       Effect::kNone},
      {{".INI"},
       Speaker::kFile,
       "  「みんな、がんばれ」",
       Middle::kPause,
       false,
       "あなたの運の良さが上がった。",
       Effect::kNone},
      {{".AVI"},
       Speaker::kFile,
       "  「ガンガンいこうぜ！」",
       Middle::kPause,
       false,
       "あなたのMPが回復した。",
       Effect::kNone},
      {{".MID"},
       Speaker::kFile,
       "  「負けるんじゃないぞ！」",
       Middle::kPause,
       false,
       "あなたの腕っぷしが上がった。",
       Effect::kNone},
      {{".RMI"},
       Speaker::kFile,
       "  「君が負けても、僕の心の中で生きてるさ！」",
       Middle::kPause,
       false,
       "あなたの最大MPが上昇した。",
       Effect::kNone},
      {{".BMP"},
       Speaker::kFile,
       "  は、究極の魔法を唱えた！！",
       Middle::kPause,
       false,
       "あなたの最大HPが上昇した。",
       Effect::kNone},
      {{".MOV"},
       Speaker::kFile,
       "  は、呪文を唱えた！",
       Middle::kPause,
       false,
       "しかし、ド忘れしてしまったようだ。",
       Effect::kNone},
      {{".JPG"},
       Speaker::kFile,
       "  は、不思議な踊りを踊った！",
       Middle::kPause,
       true,
       "はあっけにとられている。",
       Effect::kNone},
      {{},
       Speaker::kFile,
       "  「ガンバレ！」",
       Middle::kPause,
       false,
       "あなたのすばやさが上昇した！！",
       Effect::kNone},
  };
  return events;
}

int DropEventRow(const AnsiString& extension) {
  const auto& events = DropEvents();
  for (std::size_t row = 0; row + 1 < events.size(); ++row) {
    for (const char* candidate : events[row].extensions) {
      if (extension.Bytes() == candidate) return static_cast<int>(row) + 1;
    }
  }
  return static_cast<int>(events.size());
}
