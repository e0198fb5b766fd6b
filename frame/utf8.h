// Conversions between UTF-8 and the 16-bit text (one unit per code point, U+0001..U+FFFF)
// that edit boxes and typed text use. They never allocate; buffers and sizes come from the
// caller, and a full buffer ends the conversion with the terminator in its last place.
#pragma once

// Decodes the one UTF-8 sequence at text. Returns its length (1..4) and stores the code point,
// or stores 0 and returns 0 for an invalid or cut-off sequence. text_end may be null.
int CharFromUtf8(unsigned int* out_char, const char* text, const char* text_end);
// UTF-8 to 16-bit text; code points above U+FFFF are skipped, an invalid sequence ends the
// conversion. Returns the units written, the closing 0 not counted.
int StrFromUtf8(unsigned short* buf, int buf_size, const char* text, const char* text_end);
// 16-bit text to UTF-8; a unit whose bytes no longer fit is dropped and the conversion goes on.
// Returns the bytes written, the closing NUL not counted.
int StrToUtf8(char* buf, int buf_size, const unsigned short* text, const unsigned short* text_end);
// The UTF-8 bytes (1..4) of one code point, without a NUL; a surrogate or a value past U+10FFFF
// is written as U+FFFD. 0 when c is 0 or no room.
int CharToUtf8(char* buf, int buf_size, unsigned int c);
