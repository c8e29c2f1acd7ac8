#pragma once
// Small text helpers shared by the parts of the PDF writer: number formatting, rounding and the
// quoting of strings and names.

#include <string>
#include <string_view>

// Rounds to the nearest integer, halves to the even neighbour.
long long PdfRound(double value);

// A number with at most three decimals and "." as separator ("0.###"): 841.889 -> "841.889",
// 2.5 -> "2.5", 3.0 -> "3".
std::string PdfNumber(double value);

// The bytes of a UTF-8 text in the single-byte code page the writer uses for strings and text
// (the WinAnsi encoding, cp1252); characters that code page lacks become '?'.
std::string PdfSingleByte(std::string_view utf8);

// The character a byte of that code page stands for; 0 for its unused codes.
char16_t PdfWinAnsiToUnicode(int code);

// The inside of a literal string "( ... )": a backslash goes before "(", ")" and "\" so that no
// text can end the string early. CR and LF get one as well, as the text output wants.
std::string PdfEscapeString(std::string_view bytes);

// A name after "/": blanks become "#20" (other bytes a name cannot hold become "#" + hex).
std::string PdfNameText(std::string_view name);
