// Command-line splitting for the data library. The result is allocated with malloc so that the
// portability library's free function (which every caller of this library uses) releases it.
#include "orvex/DataConversion.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "orvex/Platform.h"

namespace Tavrin {
namespace DataConversion {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

std::vector<std::string> splitWords(const char* line) {
    std::vector<std::string> words;
    if (!line) return words;
    const char* p = line;
    while (*p) {
        while (isBlank(*p)) ++p;
        if (!*p) break;
        std::string word;
        bool quoted = false;
        for (; *p && (quoted || !isBlank(*p)); ++p) {
            if (*p == '"') quoted = !quoted;
            word += *p;
        }
        words.push_back(std::move(word));
    }
    return words;
}

char* copyText(const std::string& text) {
    char* copy = static_cast<char*>(std::malloc(text.size() + 1));
    if (copy) std::memcpy(copy, text.c_str(), text.size() + 1);
    return copy;
}

} // namespace

char** splitCommandLine(const char* commandLine, int& count) {
    count = 0;
    std::vector<std::string> words = splitWords(commandLine);
    char** result = static_cast<char**>(std::calloc(words.size() + 1, sizeof(char*)));
    if (!result) throw std::bad_alloc();
    for (const std::string& word : words) {
        result[count] = copyText(word);
        if (!result[count]) {
            freeWords(result);
            count = 0;
            throw std::bad_alloc();
        }
        ++count;
    }
    return result;
}

std::vector<std::string> commandLineWords(const std::string& commandLine) {
    std::vector<std::string> words = splitWords(commandLine.c_str());
    for (std::string& word : words) {
        std::string bare;
        for (char c : word)
            if (c != '"') bare += c;
        word = std::move(bare);
    }
    return words;
}

void freeWords(char** words) {
    if (!words) return;
    for (char** word = words; *word; ++word) Platform::freeText(*word);
    Platform::freeText(reinterpret_cast<char*>(words));
}

} // namespace DataConversion
} // namespace Tavrin
