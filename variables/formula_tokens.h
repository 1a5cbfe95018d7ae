#pragma once

#include <cstdint>

// The keyword table and tokenizer of the formula language. Keyword k (counted from 1) becomes the
// token byte 0x80 + k; every other character is copied, except that bytes above 0x7F become
// kForeignByte so that typed 8-bit characters never pose as tokens.
// Thread: any; the functions keep no state.
namespace formula_tokens {

constexpr int kKeywordCount = 55;
constexpr int kMaxExpressionLength = 255;  // longer expressions are cut here

constexpr std::uint8_t kTokenBase = 0x80;
constexpr std::uint8_t kTokenTo = 0x9F, kTokenStep = 0xA0, kTokenThen = 0xA1;
constexpr std::uint8_t kTokenPlus = 0xA2, kTokenMinus = 0xA3, kTokenGreater = 0xAF;
constexpr std::uint8_t kTokenAbs = 0xB3;
constexpr std::uint8_t kForeignByte = 0xFF;

// Keyword k, 1..55 ("LET" .. "INP("); nullptr outside.
const char* keyword(int k);

// Tokenizes in[0..length) (at most kMaxExpressionLength bytes are read, a NUL ends the text) into
// out, NUL-terminated. out needs kMaxExpressionLength + 1 bytes; tokens never lengthen the text.
// Returns the number of bytes written before the NUL.
int tokenize(const char* in, int length, std::uint8_t* out);

}  // namespace formula_tokens
