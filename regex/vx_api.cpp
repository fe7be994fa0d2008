// The C interface, the case-fold table and the cache of compiled programs.
#include <cstring>
#include <mutex>
#include <memory>
#include <new>

#include "vx_internal.h"

namespace vx {

namespace {
constexpr fold_table ascii_case_table() {
  fold_table t{};
  for (unsigned c = 0; c < 256; ++c) {
    t.upper[c] = static_cast<unsigned char>((c >= 'a' && c <= 'z') ? c - 32 : c);
    t.lower[c] = static_cast<unsigned char>((c >= 'A' && c <= 'Z') ? c + 32 : c);
  }
  return t;
}
}  // namespace

// Constant-initialised, so it is ready before any static constructor runs.
constinit fold_table case_table = ascii_case_table();
std::atomic<unsigned> case_table_generation{0};

void reset_case_table() {
  case_table = ascii_case_table();
}

namespace {

void release(program* p) {
  if (p && p->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) delete p;
}

// Most-recently-used first; each entry holds one reference.
constexpr int cache_size = 16;
std::mutex cache_mutex;
program* cache[cache_size];
constexpr int cache_flags =
    VX_REG_EXTENDED | VX_REG_ICASE | VX_REG_NEWLINE | VX_REG_NOSUB | VX_REG_UTF8;

program* cache_get(const char* pattern, int cflags, unsigned gen) {
  std::lock_guard<std::mutex> lock(cache_mutex);
  for (int k = 0; k < cache_size; ++k) {
    program* p = cache[k];
    if (p && p->cflags == cflags && p->case_generation == gen && p->pattern == pattern) {
      for (int j = k; j > 0; --j) cache[j] = cache[j - 1];
      cache[0] = p;
      p->refs.fetch_add(1, std::memory_order_relaxed);
      return p;
    }
  }
  return nullptr;
}

void cache_put(program* p) {
  program* evicted = nullptr;
  {
    std::lock_guard<std::mutex> lock(cache_mutex);
    evicted = cache[cache_size - 1];
    for (int j = cache_size - 1; j > 0; --j) cache[j] = cache[j - 1];
    p->refs.fetch_add(1, std::memory_order_relaxed);
    cache[0] = p;
  }
  release(evicted);
}

void cache_clear() {
  program* old[cache_size];
  {
    std::lock_guard<std::mutex> lock(cache_mutex);
    for (int k = 0; k < cache_size; ++k) {
      old[k] = cache[k];
      cache[k] = nullptr;
    }
  }
  for (program* p : old) release(p);
}

// Drops the cache's references when the program (or DLL) unloads, so that
// leak checkers see a clean exit.
struct cache_cleanup {
  ~cache_cleanup() { cache_clear(); }
} cleanup_at_unload;

const char* message(int code) {
  switch (code) {
    case 0:
      return "Success";
    case VX_REG_NOMATCH:
      return "No match";
    case VX_REG_BADPAT:
      return "Invalid regular expression";
    case VX_REG_ECOLLATE:
      return "Invalid collation character";
    case VX_REG_ECTYPE:
      return "Invalid character class name";
    case VX_REG_EESCAPE:
      return "Trailing backslash";
    case VX_REG_ESUBREG:
      return "Invalid back reference";
    case VX_REG_EBRACK:
      return "Unmatched [ or [^";
    case VX_REG_EPAREN:
      return "Unmatched ( or )";
    case VX_REG_EBRACE:
      return "Unmatched {";
    case VX_REG_BADBR:
      return "Invalid content of {}";
    case VX_REG_ERANGE:
      return "Invalid range end";
    case VX_REG_ESPACE:
      return "Regular expression too big";
    case VX_REG_BADRPT:
      return "Invalid preceding regular expression";
    default:
      return "Unknown error";
  }
}

}  // namespace
}  // namespace vx

namespace vx {
namespace {

int compile_or_share(vx_regex_t* preg, const char* pattern, int cflags) {
  cflags &= cache_flags;
  unsigned gen = case_table_generation.load(std::memory_order_acquire);
  program* p = cache_get(pattern, cflags, gen);
  if (!p) {
    // Owned here until the cache takes it, so a failed allocation on the way
    // leaks nothing.
    std::unique_ptr<program> fresh(new (std::nothrow) program);
    if (!fresh) return VX_REG_ESPACE;
    fresh->pattern = pattern;
    fresh->cflags = cflags;
    fresh->case_generation = gen;
    int err = compile(*fresh);
    if (err) return err;
    p = fresh.get();
    cache_put(p);
    fresh.release();
  }
  preg->re_nsub = p->nsub;
  preg->vx_prog = p;
  return 0;
}

}  // namespace
}  // namespace vx

// The C interface throws nothing: memory running out anywhere below is
// REG_ESPACE, as POSIX has it.
extern "C" int vx_regcomp(vx_regex_t* preg, const char* pattern, int cflags) {
  if (!preg) return VX_REG_BADPAT;
  preg->re_nsub = 0;
  preg->vx_prog = nullptr;
  if (!pattern) return VX_REG_BADPAT;
  try {
    return vx::compile_or_share(preg, pattern, cflags);
  } catch (const std::bad_alloc&) {
    preg->re_nsub = 0;
    preg->vx_prog = nullptr;
    return VX_REG_ESPACE;
  }
}

extern "C" int vx_regexec(const vx_regex_t* preg, const char* string, size_t nmatch,
                          vx_regmatch_t pmatch[], int eflags) {
  if (!preg || !preg->vx_prog || !string) return VX_REG_BADPAT;
  try {
    return vx::execute(*static_cast<const vx::program*>(preg->vx_prog), string, nmatch, pmatch,
                       eflags);
  } catch (const std::bad_alloc&) {
    return VX_REG_ESPACE;
  }
}

extern "C" size_t vx_regerror(int errcode, const vx_regex_t* preg, char* errbuf,
                              size_t errbuf_size) {
  (void)preg;
  const char* msg = vx::message(errcode);
  size_t len = std::strlen(msg) + 1;
  if (errbuf && errbuf_size > 0) {
    size_t n = len < errbuf_size ? len : errbuf_size;
    std::memcpy(errbuf, msg, n - 1);
    errbuf[n - 1] = '\0';
  }
  return len;
}

extern "C" void vx_regfree(vx_regex_t* preg) {
  if (!preg) return;
  vx::release(static_cast<vx::program*>(preg->vx_prog));
  preg->vx_prog = nullptr;
  preg->re_nsub = 0;
}

extern "C" void vx_regex_set_case_table(const unsigned char* upper, const unsigned char* lower) {
  using namespace vx;
  if (upper && lower) {
    std::memcpy(case_table.upper, upper, 256);
    std::memcpy(case_table.lower, lower, 256);
  } else {
    reset_case_table();
  }
  case_table_generation.fetch_add(1, std::memory_order_acq_rel);
  cache_clear();
}
