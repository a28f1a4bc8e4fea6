// Text conversions of the data library.
#pragma once

namespace Tavrin {
namespace DataConversion {

/// Splits a command line into words (blanks separate, double quotes group and are kept on the
/// word as typed). Returns a null-terminated array of texts; free each word and the array with
/// Platform::freeText. `count` receives the number of words.
char** splitCommandLine(const char* commandLine, int& count);

} // namespace DataConversion
} // namespace Tavrin
