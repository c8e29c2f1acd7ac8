#pragma once
// ASCII85 encoding of stream data: every stream the writer puts out is wrapped in it.

#include <cstddef>
#include <cstdint>
#include <string>

// Groups of four bytes, taken big-endian, become five characters "!" + base-85 digit (most
// significant first); a group of four zero bytes becomes "z"; a final group of n < 4 bytes is
// zero-padded and written as the first n + 1 characters. The result ends with "~>" and has no
// leading "<~" and no line breaks.
std::string Ascii85Encode(const std::uint8_t* data, std::size_t size);
