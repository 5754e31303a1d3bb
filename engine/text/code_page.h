// The shape of code page 949 characters, which every search and comparison of
// page text walks by.
#pragma once

namespace wendrel {

// Whether byte is a lead byte (0x81 to 0xFE): it and the byte after it form
// one character, whatever that byte is. Any other byte is a character alone.
constexpr bool IsLeadByte(unsigned char byte) {
    return byte >= 0x81 && byte <= 0xFE;
}

}  // namespace wendrel
