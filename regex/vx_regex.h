/*
 * vx_regex.h - Lumadir's POSIX extended regular expressions.
 *
 * Naming scheme
 *   The library's real symbols and types carry a vx_ / VX_ prefix
 *   (vx_regcomp, vx_regex_t, VX_REG_ICASE, ...), so the library can be linked
 *   into a program that also uses the C library's <regex.h>.  Unless
 *   VX_REGEX_PREFIXED_ONLY is defined before this header is included, it also
 *   offers the plain POSIX names: typedefs for the types and macros for the
 *   functions and constants.
 *   vx_regex.dll exports both spellings: "regcomp", "regexec", "regerror" and
 *   "regfree" (aliases made by vx_regex.def) for callers that use
 *   GetProcAddress, and the vx_ names for code linked to the import library.
 *
 * Dialect
 *   Extended REs only: regcomp without REG_EXTENDED fails with REG_BADPAT.
 *   Without REG_UTF8, bytes are unsigned 8-bit characters of the ANSI code
 *   page; with it, pattern and subject are UTF-8 text (see "UTF-8 mode"
 *   below).  Matching is leftmost-longest; submatches follow the POSIX
 *   rule: earlier subexpressions take the longest extent that still lets
 *   the whole match succeed, a repeated group reports its last iteration, a
 *   group that the last iteration did not take reports -1, and a starred
 *   group that matched only the empty string reports that empty match.
 *   Matching never backtracks.  The overall match costs
 *   O(subject length x pattern size); finding submatches of a match of
 *   length L costs about O(L x pattern size x nesting depth) in usual cases,
 *   but a repeated group whose body can keep running far past where it may
 *   end (such as (a|a[^x]*x)* on a long run of 'a') costs O(L^2 x size).
 *
 * Choices where POSIX leaves room (and the C library on the build host may
 * answer differently)
 *   - An unmatched ')' is REG_EPAREN (the GNU C library takes it literally).
 *   - A repetition operator at the start of the pattern, after '(' or '|',
 *     or right after '^' or '$', is REG_BADRPT.  Stacked operators such as
 *     a** or a{2}{3} apply in turn.
 *   - Repeat counts above 255 (RE_DUP_MAX) and "{,n}" are REG_BADBR.
 *   - "\1".."\9" are REG_ESUBREG: extended REs have no back-references.
 *     Any other escaped character stands for itself.
 *   - Inside a bracket expression a backslash is an ordinary character;
 *     [=x=] and [.x.] accept one character, longer names give REG_ECOLLATE.
 *   - Empty alternatives and empty groups, as in "a|", "(|a)" or "()",
 *     match the empty string.
 *   - Submatches: this library keeps to the POSIX rule above where the
 *     GNU C library does not: it may report a group from an earlier
 *     iteration of a repetition (((a)|b)* against "ab": we give group 2
 *     -1), give an earlier element less than it could take ([A-Z]+(.|$)
 *     against "ABC": we give (0,3)(3,3)), or take a later alternative when
 *     several span the same text (^|(x*) against "y": we give group 1 -1,
 *     taking the first alternative as the AT&T data does).  The
 *     differential test counts these three classes separately.
 *   - Character classes are ASCII, except that [:alpha:], [:alnum:],
 *     [:upper:] and [:lower:] also take bytes >= 128 that the fold table
 *     gives another case (on Windows, accented letters of the code page);
 *     with REG_UTF8, the characters that have another case in Unicode's
 *     simple case folding instead: [:upper:] those that fold to another,
 *     [:lower:] those that others fold to.  Letters without case (CJK,
 *     for one) are in no class.  The few lower-case letters that fold to
 *     another lower-case form (final sigma, long s, micro sign, Greek
 *     symbol forms) count as [:upper:], and Cherokee, whose letters fold to
 *     upper case, comes out the wrong way round.
 *
 * Case folding (REG_ICASE) uses a 256-entry table: plain ASCII by default;
 * on Windows the DLL fills it from the ANSI code page when it loads, so that
 * e.g. 0xE9 and 0xC9 fold together under code page 1252.  With REG_UTF8 that
 * table is not used at all: characters fold by Unicode simple case folding
 * (a table generated from the Unicode data at build time): E and e with
 * acute fold together, so do capital, small and final sigma, and K, k and
 * the Kelvin sign (U+212A); no character folds to two (sharp s U+00DF does
 * not match "ss", but matches capital sharp s U+1E9E).
 *
 * UTF-8 mode (REG_UTF8)
 *   The unit of matching is a character: a valid UTF-8 sequence of 1 to 4
 *   bytes (no overlong forms, surrogates or values above U+10FFFF).  '.', a
 *   bracket expression and a range each match one character; a multibyte
 *   character in the pattern is one atom (a star after it repeats all of
 *   it); ranges go by code point.  Matches start and end only on
 *   character boundaries, and all offsets are byte offsets.
 *   Any other byte, in the subject or in the pattern, is a stray byte: one
 *   unit that stands for itself.  A stray byte in the pattern matches only
 *   the same stray byte (not a character that contains that byte); '.'
 *   matches any stray byte, so wildcards match names that carry one; a
 *   bracket matches one only when it lists it (a range between two stray
 *   bytes lists those between; a range from a character to a stray byte is
 *   REG_ERANGE), and a negated bracket never matches one.
 *
 * Compiled patterns are cached: regcomp with a (pattern, flags) pair seen
 * recently shares the immutable compiled program.  All functions are
 * thread-safe; one regex_t may be used by several threads at once.
 */
#ifndef VX_REGEX_H
#define VX_REGEX_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef ptrdiff_t vx_regoff_t;

typedef struct vx_regex_t {
  size_t re_nsub; /* number of parenthesised subexpressions */
  void* vx_prog;  /* private: compiled program, NULL when freed */
} vx_regex_t;

typedef struct vx_regmatch_t {
  vx_regoff_t rm_so; /* start offset, -1 if the group did not match */
  vx_regoff_t rm_eo; /* one past the end */
} vx_regmatch_t;

/* cflags */
#define VX_REG_EXTENDED 1
#define VX_REG_ICASE 2
#define VX_REG_NEWLINE 4
#define VX_REG_NOSUB 8
#define VX_REG_UTF8 16 /* pattern and subjects are UTF-8 text (see above) */

/* eflags */
#define VX_REG_NOTBOL 1
#define VX_REG_NOTEOL 2

/* return codes */
#define VX_REG_NOMATCH 1
#define VX_REG_BADPAT 2
#define VX_REG_ECOLLATE 3
#define VX_REG_ECTYPE 4
#define VX_REG_EESCAPE 5
#define VX_REG_ESUBREG 6
#define VX_REG_EBRACK 7
#define VX_REG_EPAREN 8
#define VX_REG_EBRACE 9
#define VX_REG_BADBR 10
#define VX_REG_ERANGE 11
#define VX_REG_ESPACE 12
#define VX_REG_BADRPT 13

int vx_regcomp(vx_regex_t* preg, const char* pattern, int cflags);
int vx_regexec(const vx_regex_t* preg, const char* string, size_t nmatch, vx_regmatch_t pmatch[],
               int eflags);
size_t vx_regerror(int errcode, const vx_regex_t* preg, char* errbuf, size_t errbuf_size);
void vx_regfree(vx_regex_t* preg);

/* Replaces the REG_ICASE fold table (upper[b] / lower[b] give the other case
 * of byte b); NULL for either restores plain ASCII.  Patterns compiled
 * afterwards use the new table; patterns compiled with REG_UTF8 never use
 * it.  Meant for start-up and for tests. */
void vx_regex_set_case_table(const unsigned char* upper, const unsigned char* lower);

#ifndef VX_REGEX_PREFIXED_ONLY
typedef vx_regoff_t regoff_t;
typedef vx_regex_t regex_t;
typedef vx_regmatch_t regmatch_t;

#define REG_EXTENDED VX_REG_EXTENDED
#define REG_ICASE VX_REG_ICASE
#define REG_NEWLINE VX_REG_NEWLINE
#define REG_NOSUB VX_REG_NOSUB
#define REG_UTF8 VX_REG_UTF8
#define REG_NOTBOL VX_REG_NOTBOL
#define REG_NOTEOL VX_REG_NOTEOL
#define REG_NOMATCH VX_REG_NOMATCH
#define REG_BADPAT VX_REG_BADPAT
#define REG_ECOLLATE VX_REG_ECOLLATE
#define REG_ECTYPE VX_REG_ECTYPE
#define REG_EESCAPE VX_REG_EESCAPE
#define REG_ESUBREG VX_REG_ESUBREG
#define REG_EBRACK VX_REG_EBRACK
#define REG_EPAREN VX_REG_EPAREN
#define REG_EBRACE VX_REG_EBRACE
#define REG_BADBR VX_REG_BADBR
#define REG_ERANGE VX_REG_ERANGE
#define REG_ESPACE VX_REG_ESPACE
#define REG_BADRPT VX_REG_BADRPT

#define regcomp vx_regcomp
#define regexec vx_regexec
#define regerror vx_regerror
#define regfree vx_regfree
#endif

#ifdef __cplusplus
}
#endif

#endif /* VX_REGEX_H */
