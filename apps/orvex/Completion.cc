// Tab completion from the command table, the design data and the file system.
#include "Completion.h"

#include <dirent.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <regex>
#include <set>
#include <sstream>

#include "orvex/IReader.h"
#include "orvex/ISimulationControl.h"
#include "tavrin/HelpInstance.h"
#include "tavrin/TclCommandBase.h"
#include "tavrin/TclControl.h"

namespace OrvexLauncher {

namespace {

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

std::vector<std::string> splitWords(const std::string& text) {
    std::vector<std::string> words;
    std::istringstream in(text);
    std::string word;
    while (in >> word) words.push_back(word);
    return words;
}

// The words of the command the cursor is in: after the last command separator or bracket that
// no backslash escapes (an escaped bracket is part of a name: lane\[0\]).
std::vector<std::string> currentCommandWords(const std::string& before) {
    std::string::size_type cut = std::string::npos;
    for (std::string::size_type i = 0; i < before.size(); ++i) {
        if (before[i] == '\\') ++i;
        else if (before[i] == ';' || before[i] == '[') cut = i;
    }
    return splitWords(cut == std::string::npos ? before : before.substr(cut + 1));
}

// A name as one Tcl word: the characters Tcl would substitute or split at get a backslash, so a
// generate scope completes to lane\[0\]/ rather than to a command substitution.
std::string tclEscaped(const std::string& name) {
    std::string escaped;
    for (char c : name) {
        if (std::strchr("[]$\\{}\";", c) != nullptr || c == ' ') escaped += '\\';
        escaped += c;
    }
    return escaped;
}

std::string tclUnescaped(const std::string& word) {
    std::string plain;
    for (std::string::size_type i = 0; i < word.size(); ++i) {
        if (word[i] == '\\' && i + 1 < word.size()) ++i;
        plain += word[i];
    }
    return plain;
}

std::string lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

} // namespace

std::vector<std::string> Completion::usageWords(const std::string& usage) {
    // A placeholder is a <...> holding one name (possibly with blanks, no alternatives).
    static const std::regex placeholder("<[A-Za-z_][A-Za-z0-9_ ]*>");
    static const std::regex word("-?[A-Za-z][A-Za-z0-9_]*");
    std::string literal = std::regex_replace(usage, placeholder, " ");
    std::vector<std::string> words;
    for (std::sregex_iterator it(literal.begin(), literal.end(), word), end; it != end; ++it) {
        std::string w = it->str();
        if (w != "options" && std::find(words.begin(), words.end(), w) == words.end()) words.push_back(w);
    }
    return words;
}

std::vector<std::string> Completion::fileNames(const std::string& word) {
    std::string::size_type slash = word.rfind('/');
    std::string folder = slash == std::string::npos ? std::string() : word.substr(0, slash + 1);
    std::string start = slash == std::string::npos ? word : word.substr(slash + 1);
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr) return names;
    while (dirent* entry = ::readdir(dir)) {
        std::string name = entry->d_name;
        if (name == "." || name == ".." || !startsWith(name, start)) continue;
        if (name[0] == '.' && (start.empty() || start[0] != '.')) continue;
        bool isFolder = entry->d_type == DT_DIR;
        if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
            DIR* probe = ::opendir((folder.empty() ? name : folder + name).c_str());
            isFolder = probe != nullptr;
            if (probe != nullptr) ::closedir(probe);
        }
        names.push_back(folder + name + (isFolder ? "/" : ""));
    }
    ::closedir(dir);
    return names;
}

std::vector<std::string> Completion::designNames(const std::string& typed) const {
    const std::string word = tclUnescaped(typed);
    std::vector<std::string> names;
    Tavrin::IReader* reader = control_.getReader();
    if (reader == nullptr) return names;
    Tavrin::IBlock* base = nullptr;
    std::string rest = word;
    std::string prefix;
    if (startsWith(word, "/")) {
        base = reader->getDesignRoot();
        rest = word.substr(1);
        prefix = "/";
    } else {
        Tavrin::ISimulationControl* engine = control_.getSimulationControl();
        base = engine != nullptr ? engine->getCurrentScope() : nullptr;
        if (base == nullptr) base = reader->getCurrentScope();
        if (base == nullptr) base = reader->getDesignRoot();
    }
    // Walk down the scopes named before the last slash.
    std::string::size_type slash;
    while (base != nullptr && (slash = rest.find('/')) != std::string::npos) {
        std::string step = rest.substr(0, slash);
        Tavrin::IBlock* next = nullptr;
        for (int i = 0; i < base->getChildCount() && next == nullptr; ++i)
            if (base->getChild(i) != nullptr && base->getChild(i)->getName().str() == step) next = base->getChild(i);
        base = next;
        prefix += step + "/";
        rest = rest.substr(slash + 1);
    }
    if (base == nullptr) return names;
    for (int i = 0; i < base->getChildCount(); ++i) {
        Tavrin::IBlock* child = base->getChild(i);
        if (child == nullptr || child->isProcess()) continue;
        std::string name = child->getName().str();
        if (startsWith(name, rest)) names.push_back(tclEscaped(prefix + name + "/"));
    }
    for (int i = 0; i < base->getDataObjCount(); ++i) {
        Tavrin::IDataObj* object = base->getDataObj(i);
        if (object == nullptr) continue;
        std::string name = object->getName().str();
        if (startsWith(name, rest)) names.push_back(tclEscaped(prefix + name));
    }
    return names;
}

std::vector<std::string> Completion::candidates(const std::string& before, const std::string& word) const {
    std::vector<std::string> words = currentCommandWords(before);
    std::set<std::string> found;
    auto offer = [&](const std::vector<std::string>& list) {
        for (const std::string& item : list)
            if (startsWith(item, word)) found.insert(item);
    };
    Tavrin::HelpInstance& table = Tavrin::HelpInstance::getInstance();
    if (words.empty()) {
        for (Tavrin::TclCommand* command : table.getAllCommands()) offer({command->getName().str()});
        return std::vector<std::string>(found.begin(), found.end());
    }

    Tavrin::TclCommand* command = table.get(Tavrin::StringBase(words[0]));
    if (command == nullptr) {
        // Not one of ours: a Tcl command, whose arguments are most often files (source, open).
        offer(fileNames(word));
        return std::vector<std::string>(found.begin(), found.end());
    }
    // Follow the subcommand words typed so far down the command tree.
    std::vector<std::unique_ptr<Tavrin::TclCommandBase>> chain;
    const Tavrin::TclCommandBase* node = command;
    std::size_t used = 1;
    for (; used < words.size(); ++used) {
        Tavrin::TclSubCommandFactory* factory = node->getSubCommandFactory();
        Tavrin::TclSubCommand* sub =
            factory ? factory->createCommand(node, node->getTclInterface(), Tavrin::StringBase(words[used])) : nullptr;
        if (sub == nullptr) break;
        chain.emplace_back(sub);
        node = sub;
    }
    if (used == words.size() && node->getSubCommandFactory() != nullptr)
        for (const Tavrin::StringBase& sub : node->getSubCommandFactory()->getSubCommands()) offer({sub.str()});
    std::string usage = node->usage().str();
    std::vector<std::string> literal = usageWords(usage);
    std::vector<std::string> own = splitWords(node->getFullCommand().str());
    for (const std::string& item : literal)
        if (std::find(own.begin(), own.end(), item) == own.end() &&
            (item[0] == '-' || used == words.size() || startsWith(word, "-")))
            offer({item});
    std::string lower = lowered(usage);
    if (lower.find("file") != std::string::npos) offer(fileNames(word));
    static const std::regex objectPlace("(path|object|signal)_name>");
    if (std::regex_search(lower, objectPlace) && !startsWith(word, "-")) offer(designNames(word));
    return std::vector<std::string>(found.begin(), found.end());
}

} // namespace OrvexLauncher
