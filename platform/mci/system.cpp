#include <utility>

#include "platform/mci/fluid_sequencer.h"
#include "platform/mci/mci.h"

namespace mci {

std::unique_ptr<Interpreter> CreateSystemInterpreter(NotifyPoster poster) {
  return CreateSystemInterpreter(std::move(poster), SystemOptions{});
}

std::unique_ptr<Interpreter> CreateSystemInterpreter(NotifyPoster poster,
                                                     const SystemOptions& options) {
  return std::make_unique<Interpreter>(std::make_unique<FluidSequencer>(options),
                                       std::move(poster));
}

}  // namespace mci
