#pragma once
// The text of an INI file with the program's values set in it, and everything
// else kept as the user wrote it: comments, keys and sections the program does
// not know, their order, blanks and line breaks stay byte for byte.
#include <cstddef>

#include "platform/text_buffer.h"

struct IniEntry {
    const char* section;   // never empty
    const char* key;
    char value[12];        // no line break, no blanks around it
};

// Appends to `result` the `size` bytes of `text` with every entry set, so that
// the profile functions read each value back as given. They take a file line
// by line with blanks around each line ignored: "[name]" opens a section (up
// to the last ']'), any other line is a key up to its first '=' (blanks before
// the '=' ignored); names match without regard to letter case, and only the
// first section of a name and its first key of a name count. So the first
// such key is rewritten in place (its name and spacing kept), a missing key
// goes after its section's last line that is not blank, and a missing section
// goes at the end, in the entries' order. New lines take the file's line break
// ("\r\n" when it has none). False when memory ran out.
bool SetIniValues(const char* text, size_t size, const IniEntry* entries, size_t count, TextBuffer& result);
