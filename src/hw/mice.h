// Every present device of setup class Mouse switched off or on through the
// setup API and the configuration manager.
#pragma once

#include <cstdint>

namespace hw {

// A device whose class name cannot be read in this many attempts (any
// error but "no class name") is left alone and logged.
inline constexpr uint32_t kClassNameAttempts = 4;
// Setup class names are short; a device that claims to need more than this
// for one is left alone as unreadable.
inline constexpr uint32_t kClassNameMaxBytes = 2048;

// Enables (true) or disables (false) every present mouse that is
// disableable and not disabled by its hardware. Remembers nothing: enabling
// enables every such mouse, whoever disabled it.
void SetMiceEnabled(bool enable);

}  // namespace hw
