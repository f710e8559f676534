#pragma once

// Code page conversions in the manner of the Windows calls MultiByteToWideChar and
// WideCharToMultiByte. Code page 0 (the ANSI code page) is always 936 for this program,
// whatever the machine's locale.
//
// Contract kept from the Windows calls:
// - sourceLength -1 converts up to and including the first zero; otherwise exactly that many
//   units (no terminator is added).
// - outputSize 0: returns the size the whole conversion needs and writes nothing.
// - otherwise converts into at most outputSize units and returns the number written, or 0 when
//   the output was too small (what fitted is written all the same).
// - flags must be 0; a character the target cannot represent becomes "?" in GBK. Invalid input
//   becomes U+FFFD: a malformed or cut-off sequence of UTF-8 or GBK, and an unpaired surrogate
//   in UTF-16 (written as EF BF BD in UTF-8, "?" in GBK). GBK 0x80 is the euro sign, both ways;
//   GBK 0xFF is U+F8F5 (private use), as on Windows.
// - An unknown code page, non-zero flags, a null source, a negative size or a null output with
//   a positive size give 0.
//
// Safe to call from several threads at once.

inline constexpr unsigned codePageAnsi = 0;
inline constexpr unsigned codePageGbk = 936;
inline constexpr unsigned codePageUtf8 = 65001;

int multiByteToWideChar(unsigned codePage, unsigned long flags, const char* source,
                        int sourceLength, char16_t* output, int outputSize);

int wideCharToMultiByte(unsigned codePage, unsigned long flags, const char16_t* source,
                        int sourceLength, char* output, int outputSize);
