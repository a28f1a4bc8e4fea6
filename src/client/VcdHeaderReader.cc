// The VCD header reader: a word scanner over the stream and the declarations it understands.
#include "client/VcdHeaderReader.h"

#include <cctype>
#include <vector>

#include "orvex/Exceptions.h"

namespace Tavrin {

namespace {

// A word longer than this is not part of a VCD header (binary data, a value section without
// header); it ends the reading before the word can take all memory.
constexpr std::size_t maxWordLength = 1 << 16;

// A failure of the header, with the line it was found on (0: no line applies).
struct HeaderError {
    std::string problem;
    int line;
};

// Splits the stream into words separated by white space and counts lines.
class WordScanner {
public:
    explicit WordScanner(std::istream& in) : in_(in) {}

    // The next word, or false at the end of the stream. `wordLine` is the line it starts on.
    bool next(std::string& word, int& wordLine) {
        word.clear();
        // istream::get turns a failing read into the bad state instead of an exception.
        int c = in_.get();
        while (c != EOF && std::isspace(c)) {
            if (c == '\n')
                ++line_;
            c = in_.get();
        }
        if (c == EOF) {
            return false;
        }
        wordLine = line_;
        while (c != EOF && !std::isspace(c)) {
            if (word.size() == maxWordLength)
                throw HeaderError{"a word is longer than " + std::to_string(maxWordLength) +
                                      " characters: this is not a VCD header",
                                  wordLine};
            word.push_back(static_cast<char>(c));
            c = in_.get();
        }
        if (c == '\n')
            ++line_;
        return true;
    }

    int line() const { return line_; }

private:
    std::istream& in_;
    int line_ = 1;
};

// A word as a message shows it: unprintable characters become '?' and a long word is cut.
std::string shown(const std::string& word) {
    constexpr std::size_t longest = 40;
    std::string text = word.substr(0, longest);
    for (char& c : text)
        if (!std::isprint(static_cast<unsigned char>(c)))
            c = '?';
    if (word.size() > longest)
        text += "...";
    return text;
}

bool isNetType(const std::string& type) {
    static const char* const nets[] = {"wire",  "tri",   "tri0", "tri1",    "triand",  "trior",
                                       "trireg", "wand", "wor",  "supply0", "supply1", "uwire"};
    for (const char* net : nets)
        if (type == net)
            return true;
    return false;
}

int objectClassOf(const std::string& type) {
    if (isNetType(type))
        return SignalClass;
    if (type == "parameter")
        return ParameterClass;
    if (type == "event")
        return EventClass;
    return VariableClass; // reg, integer, real, realtime, time and any other variable
}

int typeClassOf(const std::string& type) {
    if (type == "real" || type == "realtime")
        return RealTypeClass;
    if (type == "integer")
        return IntegerTypeClass;
    return LogicTypeClass;
}

int objectKindOf(const std::string& type, unsigned long long size) {
    // A real is written 64 bits wide and an event 1 bit wide; neither is a bit vector.
    if (type == "real" || type == "realtime" || type == "event")
        return ScalarObjectKind;
    return size > 1 ? VectorObjectKind : ScalarObjectKind;
}

int blockKindOf(const std::string& scopeType) {
    if (scopeType == "module")
        return VerilogInstance;
    if (scopeType == "task" || scopeType == "function")
        return VerilogTask;
    if (scopeType == "begin" || scopeType == "fork" || scopeType == "generate")
        return VerilogInternalBlock;
    return UnknownBlock;
}

// The name of a scope or variable reference: an escaped identifier loses its backslash (the
// reader keeps plain names, as the engine reports them); a plain identifier loses a range
// written onto it ("bus[7:0]"), while an element name such as "mem[3]" stays whole.
std::string nameOf(const std::string& reference) {
    if (!reference.empty() && reference[0] == '\\')
        return reference.substr(1);
    const std::size_t open = reference.find('[');
    if (open != std::string::npos && open > 0 && reference.back() == ']' &&
        reference.find(':', open) != std::string::npos)
        return reference.substr(0, open);
    return reference;
}

bool parseSize(const std::string& text, unsigned long long& size) {
    if (text.empty() || text.size() > 18)
        return false;
    size = 0;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return false;
        size = size * 10 + static_cast<unsigned long long>(c - '0');
    }
    return size > 0;
}

// One open $scope: the block it fills, or none when the scope is left out.
struct OpenScope {
    IBlock* block;
    std::string name;
};

class HeaderParser {
public:
    HeaderParser(std::istream& in, DataReader& reader) : in_(in), scanner_(in), reader_(reader) {}

    void parse() {
        std::string word;
        int line = 0;
        bool any = false;
        for (;;) {
            if (!scanner_.next(word, line)) {
                if (in_.bad())
                    throw HeaderError{"reading failed", 0};
                if (!any)
                    throw HeaderError{"the file is empty", 0};
                throw HeaderError{"the header ends before $enddefinitions", scanner_.line()};
            }
            any = true;
            if (word == "$scope") {
                scope(line);
            } else if (word == "$var") {
                variable(line);
            } else if (word == "$upscope") {
                arguments("$upscope", line);
                if (open_.empty())
                    throw HeaderError{"$upscope without an open $scope", line};
                open_.pop_back();
            } else if (word == "$enddefinitions") {
                arguments("$enddefinitions", line);
                if (!open_.empty())
                    throw HeaderError{"$enddefinitions inside the open $scope " + shown(open_.back().name),
                                      line};
                return;
            } else if (word[0] == '$') {
                // $date, $version, $timescale, $comment and declarations of extensions carry
                // nothing of the hierarchy.
                arguments(word, line);
            } else {
                throw HeaderError{"unexpected '" + shown(word) + "' in the header", line};
            }
        }
    }

private:
    // The words up to the "$end" of the declaration begun by `keyword` on `line`.
    std::vector<std::string> arguments(const std::string& keyword, int line) {
        std::vector<std::string> words;
        std::string word;
        int wordLine = 0;
        while (scanner_.next(word, wordLine)) {
            if (word == "$end")
                return words;
            words.push_back(word);
        }
        if (in_.bad())
            throw HeaderError{"reading failed", 0};
        throw HeaderError{"the header ends inside " + shown(keyword), line};
    }

    IBlock* container() const { return open_.empty() ? nullptr : open_.back().block; }
    bool insideLeftOutScope() const { return !open_.empty() && !open_.back().block; }

    void scope(int line) {
        const std::vector<std::string> words = arguments("$scope", line);
        if (words.size() != 2)
            throw HeaderError{"$scope needs a scope type and a name", line};
        const std::string name = nameOf(words[1]);
        IBlock* block = nullptr;
        if (!insideLeftOutScope()) {
            IBlock* parent = container();
            block = existingChild(parent, name);
            if (!block) {
                const int kind = blockKindOf(words[0]);
                // Objects of enclosing scopes are visible from every Verilog scope but a module.
                block = reader_.addBlock(parent, name, kind, false, kind == VerilogInstance);
            }
        }
        open_.push_back(OpenScope{block, name});
    }

    // A block of that name already under `parent` (null: the top level): a scope opened again.
    IBlock* existingChild(IBlock* parent, const std::string& name) const {
        IBlock* holder = parent ? parent : reader_.getDesignRoot();
        for (int i = 0; i < holder->getChildCount(); ++i) {
            IBlock* child = holder->getChild(i);
            if (child->getName().str() == name)
                return child;
        }
        return nullptr;
    }

    void variable(int line) {
        const std::vector<std::string> words = arguments("$var", line);
        if (words.size() < 4)
            throw HeaderError{"$var needs a type, a size, an identifier code and a name", line};
        unsigned long long size = 0;
        if (!parseSize(words[1], size))
            throw HeaderError{"$var " + shown(words[3]) + " has the size '" + shown(words[1]) +
                                  "', not a positive number",
                              line};
        // A range may follow the name as a word of its own ("bus [7:0]"); anything else there
        // means a $end is missing and a following declaration was swallowed.
        for (std::size_t i = 4; i < words.size(); ++i)
            if (words[i][0] != '[' && words[i].back() != ']' && words[i] != ":")
                throw HeaderError{"$var " + shown(words[3]) + " has '" + shown(words[i]) +
                                      "' after its name: is a $end missing?",
                                  line};
        if (open_.empty())
            throw HeaderError{"$var " + shown(words[3]) + " outside any $scope", line};
        if (insideLeftOutScope())
            return;
        // A name taken in its scope is refused by the reader and left out.
        const std::string& type = words[0];
        reader_.addObject(container(), nameOf(words[3]), objectClassOf(type), typeClassOf(type),
                          objectKindOf(type, size));
    }

    std::istream& in_;
    WordScanner scanner_;
    DataReader& reader_;
    std::vector<OpenScope> open_;
};

} // namespace

void loadVcdHeader(std::istream& in, const std::string& fileName, DataReader& reader) {
    reader.clear();
    try {
        HeaderParser(in, reader).parse();
    } catch (const HeaderError& error) {
        reader.clear();
        std::string message = "Cannot read the waveform database '" + fileName + "': " +
                              error.problem;
        if (error.line > 0)
            message += " (line " + std::to_string(error.line) + ")";
        throw Orvex::OpenException("Orvex", __FILE__, ORVEX_REVISION, __LINE__, message);
    }
}

} // namespace Tavrin
