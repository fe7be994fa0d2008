/* A stand-in library with three of the four functions, for the load test. */
__declspec(dllexport) int regcomp(void* r, const char* p, int f) { (void)r; (void)p; (void)f; return 0; }
__declspec(dllexport) int regexec(const void* r, const char* s, unsigned long long n, void* m, int f) {
  (void)r; (void)s; (void)n; (void)m; (void)f;
  return 1;
}
__declspec(dllexport) void regfree(void* r) { (void)r; }
