#include "ui/dmi_state.h"

#include <new>

namespace ui {
namespace {
DmiState g_dmi;
}

DmiState& Dmi() {
  return g_dmi;
}

void ResetDmiState() {
  g_dmi.~DmiState();
  new (&g_dmi) DmiState();
}

}  // namespace ui
