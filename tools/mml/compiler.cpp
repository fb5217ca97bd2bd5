#include "compiler.h"

#include "midi_builder.h"
#include "midi_writer.h"
#include "parser.h"
#include "sequencer.h"

namespace zorsav::mml {

CompileResult CompileScore(std::string_view text) {
  CompileResult result;
  try {
    result.midi = SerializeMidi(BuildMidi(Sequence(ParseScore(text))));
  } catch (const CompileError& error) {
    result.error = Diagnostic{error.loc(), error.what()};
  } catch (const std::exception& error) {
    result.error = Diagnostic{SourceLoc{}, error.what()};
  }
  return result;
}

}  // namespace zorsav::mml
