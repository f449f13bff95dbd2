#include "core/shared_state.h"

#include <new>

namespace core {
namespace {
SharedState g_shared;
}

SharedState& Shared() {
  return g_shared;
}

void ResetSharedState() {
  g_shared.~SharedState();
  new (&g_shared) SharedState();
}

}  // namespace core
