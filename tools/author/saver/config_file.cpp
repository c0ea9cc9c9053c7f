// Reading "Key = Value" lines.
#include "saver/config_file.h"

static std::string Trim(const std::string& text)
{
    const char* blanks = " \t\r";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

static bool KeyCharacter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

bool ParseConfigText(const std::string& text, std::vector<ConfigEntry>* entries, std::string* problem)
{
    entries->clear();
    size_t start = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;  // editors on Windows write a BOM
    for (int line = 1; start <= text.size(); ++line) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string content = Trim(text.substr(start, end - start));
        start = end + 1;
        if (content.empty() || content[0] == '#' || content[0] == ';')
            continue;
        const std::string where = "line " + std::to_string(line) + ": ";
        const size_t equals = content.find('=');
        if (equals == std::string::npos) {
            *problem = where + "\"" + content + "\" is not of the form Key = Value";
            return false;
        }
        ConfigEntry entry = {Trim(content.substr(0, equals)), Trim(content.substr(equals + 1)), line};
        if (entry.Key.empty()) {
            *problem = where + "a value without a key";
            return false;
        }
        for (char c : entry.Key)
            if (!KeyCharacter(c)) {
                *problem = where + "\"" + entry.Key + "\" is not a key (letters, digits and _ only)";
                return false;
            }
        if (entry.Value.size() >= 2 && entry.Value.front() == '"' && entry.Value.back() == '"')
            entry.Value = entry.Value.substr(1, entry.Value.size() - 2);
        for (const ConfigEntry& earlier : *entries)
            if (earlier.Key == entry.Key) {
                *problem = where + entry.Key + " is given twice (first on line " + std::to_string(earlier.Line) + ")";
                return false;
            }
        entries->push_back(entry);
    }
    return true;
}
