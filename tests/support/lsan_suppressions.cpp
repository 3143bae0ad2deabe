// Font and GUI system libraries keep process-lifetime caches that they never free; the
// leak checker is told to ignore allocations made inside them (and only them).
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n"
         "leak:libfreetype.so\n"
         "leak:libQt6Gui.so\n"
         "leak:libQt6XcbQpa.so\n"
         "leak:libdbus-1.so\n";
}
