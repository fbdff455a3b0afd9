/* libbrenvik: turns a text file into a dictionary file.
 *
 * Texts are zero-terminated. Word text and the delimiter specification are
 * Windows-1251 bytes; file paths are the platform's native path bytes.
 */
#pragma once

#include <stdint.h>

#if defined(_WIN32)
#  if defined(BRENVIK_BUILD)
#    define BRENVIK_API __declspec(dllexport)
#  else
#    define BRENVIK_API __declspec(dllimport)
#  endif
#else
#  define BRENVIK_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Results of createdicdll. Any other value is an error reported by its number. */
enum {
    BRENVIK_OK = 0,
    BRENVIK_SOURCE_NOT_FOUND = 1,
    BRENVIK_TARGET_NOT_OPENED = 2,
    BRENVIK_SOURCE_EMPTY = 3,
    BRENVIK_DICTIONARY_EMPTY = 4,
    /* Failures past the checks above, reported by number: */
    BRENVIK_READ_FAILED = 5,   /* the source could not be read to its end */
    BRENVIK_WRITE_FAILED = 6,  /* the dictionary could not be written or put in place */
    BRENVIK_OUT_OF_MEMORY = 7
};

/* A progress report, 0..100. Called on the thread that called createdicdll. */
typedef void (*brenvik_progress)(int32_t value);

/* Lower-cases a writable zero-terminated Windows-1251 string in place; the
 * length never changes. Returns text. */
BRENVIK_API char *tolow(char *text);

/* Builds the dictionary file `target` from the text file `source`.
 * `delimiters` is the delimiter specification as typed (null: empty);
 * `minimum` the shortest word kept, in characters. Either progress pointer
 * may be null. Returns one of the results above. */
BRENVIK_API int32_t createdicdll(const char *source, const char *target,
                                 const char *delimiters, int32_t minimum,
                                 brenvik_progress progress1,
                                 brenvik_progress progress2);

/* Encodings of a source for createdicex. */
enum {
    BRENVIK_SOURCE_AUTO = 0, /* as createdicdll: a byte-order mark, else valid UTF-8
                                with non-ASCII bytes is UTF-8, else Windows-1251 */
    BRENVIK_SOURCE_WINDOWS_1251 = 1,
    BRENVIK_SOURCE_UTF8 = 2,
    BRENVIK_SOURCE_UTF16LE = 3,
    BRENVIK_SOURCE_UTF16BE = 4
};

/* createdicdll with the source's encoding named (BRENVIK_SOURCE_...). The
 * dictionary is Windows-1251; a word holding a character Windows-1251 lacks
 * is left out, and `skipped` (may be null) receives how many were. */
BRENVIK_API int32_t createdicex(const char *source, const char *target, const char *delimiters, int32_t minimum,
                                int32_t encoding, int64_t *skipped, brenvik_progress progress1,
                                brenvik_progress progress2);

#ifdef __cplusplus
}
#endif
