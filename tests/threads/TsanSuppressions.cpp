// What ThreadSanitizer must not report in this program. Converting from and to 8-bit
// charsets opens the C library's charset modules (iconv), which its dynamic loader loads
// and unloads under a lock of its own that ThreadSanitizer does not see: it would report
// the loader freeing a module's memory as a race.

#if defined(__SANITIZE_THREAD__)
extern "C" const char* __tsan_default_suppressions();

extern "C" const char* __tsan_default_suppressions() { return "race:_dl_close_worker\n"; }
#endif
