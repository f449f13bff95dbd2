/* The entry point of a resource-only library. It is loaded as a data file
 * and never run, but GNU ld cannot leave the entry point out. */
int __stdcall DllMainCRTStartup(void* module, unsigned long reason, void* reserved) {
  (void)module;
  (void)reason;
  (void)reserved;
  return 1;
}
