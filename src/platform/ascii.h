#pragma once
// Letter case of 8-bit ANSI text: only the ASCII letters change, so bytes of
// other code pages are compared as they are.

inline char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
