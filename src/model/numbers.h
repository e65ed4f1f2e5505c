// The number forms of a description. The C library's atof and atol differ
// between platforms (hexadecimal, "inf", "nan", the width of long), and every
// build must read a description the same way, so the reader uses these.
#pragma once

// The longest leading decimal number of tok: optional sign, then digits with
// an optional fraction or a fraction alone, then an optional exponent that
// counts only when it has digits. No such number reads as 0. The result may
// be infinite when the number is too large for a double.
double readreal(const char *tok);

// The longest leading integer of tok (optional sign, digits), saturated to the
// 32-bit signed range; 0 when there is none.
long readint(const char *tok);

// Where the number that readreal (realend) or readint (intend) takes from
// tok ends: at tok itself when it has none, at its NUL when it is all number.
// For the warnings about what reading a number drops.
const char *realend(const char *tok);
const char *intend(const char *tok);

// Whether tok is all number (realend at its NUL), and then its readreal in
// *v: the two at once, for the frames' millions of numbers.
bool readwholereal(const char *tok, double *v);

// The low 8 bits of v, as a colour byte.
unsigned char lowbyte(long v);

// readreal truncated toward zero, as a colour byte; a truncation outside the
// 32-bit signed range gives 0.
unsigned char truncbyte(double v);
