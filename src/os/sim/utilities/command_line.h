// How Windows reads a command line: CreateProcess finding the program (no
// application name given) and the C runtime splitting the arguments. The
// simulated process start and the substitute programs both use it.
#pragma once

#include <stdint.h>

namespace utilities {

struct Span {
  uint32_t start;
  uint32_t length;
};

inline constexpr uint32_t kMaxProgramCandidates = 32;

// The program names CreateProcess tries, in its order: a quoted first
// token gives the text up to the closing quote; an unquoted one gives
// every prefix that ends before a blank or tab, shortest first (so
// "C:\Documents and Settings\x" tries "C:\Documents" before anything
// else). The caller appends ".exe" to a name whose last part has no
// extension. Gives how many candidates were written (at most `max`).
uint32_t ProgramCandidates(const char* line, Span* candidates, uint32_t max);

// Argument `index` (1 = the first after the program) as the C runtime
// splits the line: blanks separate, quotes group, 2n backslashes before a
// quote give n and the quote delimits, 2n+1 give n and a literal quote, a
// quote pair inside quotes gives one quote. False when there is no such
// argument or it does not fit `size` with its terminator.
bool Argument(const char* line, uint32_t index, char* out, uint32_t size);

}  // namespace utilities
