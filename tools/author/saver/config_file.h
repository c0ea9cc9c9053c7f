// The saver config file: one "Key = Value" a line.
#pragma once

#include <string>
#include <vector>

struct ConfigEntry {
    std::string Key;
    std::string Value;
    int Line;
};

// Blank lines and lines whose first visible character is '#' or ';' are
// comments (a colour's '#' after the '=' is part of the value). Keys and
// values are trimmed; a value in double quotes keeps its inner spaces. A key
// given twice is refused. On failure `problem` reads "line N: ...".
bool ParseConfigText(const std::string& text, std::vector<ConfigEntry>* entries, std::string* problem);
