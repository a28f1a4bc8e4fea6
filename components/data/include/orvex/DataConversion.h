// Text conversions of the data library.
#pragma once

#include <string>
#include <vector>

namespace Tavrin {
namespace DataConversion {

/// Splits a command line into words: blanks (space, tab, line ends) separate words, and a double
/// quote starts or ends a stretch in which blanks belong to the word; the quotes stay on the word
/// as typed. Returns a null-terminated array of texts (never null; a null or blank line gives no
/// words); free each word and the array with Platform::freeText, or all at once with `freeWords`.
/// `count` receives the number of words.
char** splitCommandLine(const char* commandLine, int& count);

/// Frees an array from `splitCommandLine` and every word in it; a null array is ignored.
void freeWords(char** words);

/// The words of a command line as the program it starts receives them: split as
/// `splitCommandLine` does, with the double quotes taken out.
std::vector<std::string> commandLineWords(const std::string& commandLine);

} // namespace DataConversion
} // namespace Tavrin
