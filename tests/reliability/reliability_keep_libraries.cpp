// Preloaded into the sanitized test runs: keeps every library that was ever
// loaded mapped until exit. The GL dispatch library unloads the driver at exit,
// before LeakSanitizer looks; the driver's leaks would then show no library
// name, and could not be told apart from ours or suppressed by name.
extern "C" int dlclose(void*) { return 0; }
