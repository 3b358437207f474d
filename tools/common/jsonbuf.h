/* A growable text buffer and JSON string quoting, shared by the Windows test
 * tools that write JSON-lines logs. */
#ifndef TOOLS_COMMON_JSONBUF_H
#define TOOLS_COMMON_JSONBUF_H

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

typedef struct {
  char* data;
  size_t len;
  size_t cap;
} Buf;

static inline void buf_reserve(Buf* b, size_t extra) {
  if (b->len + extra + 1 <= b->cap) return;
  size_t cap = b->cap ? b->cap : 256;
  while (cap < b->len + extra + 1) cap *= 2;
  char* p = (char*)realloc(b->data, cap);
  if (!p) ExitProcess(99);
  b->data = p;
  b->cap = cap;
}

static inline void buf_add(Buf* b, const char* s) {
  size_t n = strlen(s);
  buf_reserve(b, n);
  memcpy(b->data + b->len, s, n + 1);
  b->len += n;
}

static inline void buf_addf(Buf* b, const char* fmt, ...) __attribute__((format(gnu_printf, 2, 3)));
static inline void buf_addf(Buf* b, const char* fmt, ...) {
  char tmp[256];
  va_list args;
  va_start(args, fmt);
  vsnprintf(tmp, sizeof tmp, fmt, args);
  va_end(args);
  buf_add(b, tmp);
}

/* Appends s as a quoted JSON string. Bytes >= 0x80 pass through unchanged:
 * the log keeps the ANSI bytes the program saw. */
static inline void buf_add_json(Buf* b, const char* s) {
  buf_reserve(b, strlen(s) * 6 + 2);
  char* out = b->data + b->len;
  *out++ = '"';
  for (const unsigned char* p = (const unsigned char*)s; *p; ++p) {
    if (*p == '"' || *p == '\\') {
      *out++ = '\\';
      *out++ = (char)*p;
    } else if (*p < 0x20) {
      out += sprintf(out, "\\u%04x", *p);
    } else {
      *out++ = (char)*p;
    }
  }
  *out++ = '"';
  *out = '\0';
  b->len = (size_t)(out - b->data);
}

#endif
