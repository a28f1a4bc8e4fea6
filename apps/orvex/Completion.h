// What Tab offers at the prompt: command words, design object names and file names.
#pragma once

#include <string>
#include <vector>

namespace Tavrin {
class TclControl;
class TclCommandBase;
}

namespace OrvexLauncher {

/// Completion candidates for the word being typed, given the text of the line before it.
/// Command names, subcommand words and options come from the registered commands and their usage
/// texts, so a new command completes without code here; object and scope names come from the
/// design data, relative to the current scope (a leading / starts at the top); file names are
/// offered where the command's usage names a file. Names with characters Tcl substitutes (the
/// brackets of generate scopes) are offered with backslashes, as one Tcl word.
class Completion {
public:
    explicit Completion(Tavrin::TclControl& control) : control_(control) {}
    std::vector<std::string> candidates(const std::string& before, const std::string& word) const;

    /// The literal words of a usage text: subcommand words, options and closed value sets,
    /// without the <placeholders>.
    static std::vector<std::string> usageWords(const std::string& usage);
    /// Entries of the folder named by `word` up to its last slash that start with the rest;
    /// folders end with a slash.
    static std::vector<std::string> fileNames(const std::string& word);

private:
    std::vector<std::string> designNames(const std::string& word) const;

    Tavrin::TclControl& control_;
};

} // namespace OrvexLauncher
