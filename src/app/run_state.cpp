#include "app/run_state.h"

#include <new>

namespace app {
namespace {
RunState g_run;
}

RunState& Run() {
  return g_run;
}

void ResetRunState() {
  g_run.~RunState();
  new (&g_run) RunState();
}

}  // namespace app
