// The text script of the engine double: directives that seed its state and queue reactions.
// The format is described in EngineDouble.h.
#include <cctype>
#include <cstdint>
#include <limits>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "EngineDouble.h"

namespace Tavrin {
namespace Test {

namespace {

/// A fault in one directive; loadScript adds the line number and text.
struct ScriptFault {
    std::string reason;
};

[[noreturn]] void fault(const std::string& reason) { throw ScriptFault{reason}; }

struct Word {
    std::string text;
    bool quoted = false; // some part was written in double quotes
};

/// Splits a line into blank-separated words; double-quoted parts may hold blanks and escapes.
std::vector<Word> splitWords(const std::string& line) {
    std::vector<Word> words;
    std::size_t i = 0;
    const std::size_t n = line.size();
    while (i < n) {
        if (std::isspace(static_cast<unsigned char>(line[i]))) {
            ++i;
            continue;
        }
        Word word;
        while (i < n && !std::isspace(static_cast<unsigned char>(line[i]))) {
            if (line[i] != '"') {
                word.text += line[i++];
                continue;
            }
            word.quoted = true;
            ++i;
            bool closed = false;
            while (i < n) {
                char c = line[i++];
                if (c == '"') {
                    closed = true;
                    break;
                }
                if (c == '\\') {
                    if (i == n)
                        break;
                    c = line[i++];
                    if (c == 'n')
                        c = '\n';
                    else if (c == 't')
                        c = '\t';
                    else if (c != '"' && c != '\\')
                        fault(std::string("unknown escape \\") + c);
                }
                word.text += c;
            }
            if (!closed)
                fault("unterminated quoted text");
        }
        words.push_back(word);
    }
    return words;
}

std::int64_t toInteger(const std::string& text, std::int64_t low, std::int64_t high,
                       const std::string& what) {
    // Digits with an optional sign only: stoll alone would take blanks, "0x" and trailing text.
    const std::size_t sign = !text.empty() && (text[0] == '-' || text[0] == '+');
    if (text.size() == sign ||
        text.find_first_not_of("0123456789", sign) != std::string::npos)
        fault("invalid " + what + " '" + text + "'");
    std::int64_t value = 0;
    try {
        value = std::stoll(text);
    } catch (const std::out_of_range&) {
        fault(what + " out of range '" + text + "'");
    }
    if (value < low || value > high)
        fault(what + " out of range '" + text + "'");
    return value;
}

int toInt(const std::string& text, const std::string& what) {
    return static_cast<int>(toInteger(text, std::numeric_limits<int>::min(),
                                      std::numeric_limits<int>::max(), what));
}

/// A non-negative time in femtoseconds: digits, optionally followed by fs, ps, ns, us, ms or s.
std::int64_t toTime(const std::string& text) {
    static const struct {
        const char* unit;
        std::int64_t scale;
    } units[] = {{"fs", 1},
                 {"ps", 1000},
                 {"ns", 1000000},
                 {"us", 1000000000},
                 {"ms", 1000000000000},
                 {"s", 1000000000000000}};
    std::size_t digits = 0;
    while (digits < text.size() && std::isdigit(static_cast<unsigned char>(text[digits])))
        ++digits;
    const std::string unit = text.substr(digits);
    std::int64_t scale = 0;
    if (unit.empty())
        scale = 1;
    for (const auto& u : units)
        if (unit == u.unit)
            scale = u.scale;
    if (digits == 0 || scale == 0)
        fault("invalid time '" + text + "'");
    const std::int64_t count = toInteger(text.substr(0, digits), 0,
                                         std::numeric_limits<std::int64_t>::max() / scale, "time");
    return count * scale;
}

/// Names a reaction can be scripted for: the engine operations and "start".
const std::set<std::string>& requestNames() {
    static const std::set<std::string> names = {
        "start", "addEventHandler", "addBreakpoint", "removeBreakpoint", "clearBreakpoints",
        "getBreakpointList", "getCurrentScope", "setCurrentScope", "setArrayDisplayLength",
        "setMaxTraceableSize", "getValue", "getBlockValues", "setValue", "addForce",
        "removeForce", "getDrivers", "getLoads", "restart", "run", "step", "runAll", "stop",
        "getStatus", "ntraceStart", "ntraceStop", "ntraceSelectBlock", "ntraceSelectObject",
        "ptraceOn", "ptraceOff", "ltraceOn", "ltraceOff", "annotateSdf", "setPathPulse",
        "setPulseStyle", "setShowCancelled", "vcdDumpFile", "vcdDumpFlush", "vcdDumpOn",
        "vcdDumpOff", "vcdDumpVars", "vcdDumpLimit", "saifOpen", "saifClose", "addCondition",
        "removeConditionByLabel", "removeConditionById", "removeAllConditions",
        "getConditionList", "quit", "exitSimulation", "terminate", "getTimeResolution"};
    return names;
}

void expectCount(const std::vector<Word>& words, std::size_t count, const std::string& form) {
    if (words.size() != count)
        fault("expected '" + form + "'");
}

/// One event of an "on" directive: words [begin, end) hold ITEM.
EngineEvent parseItem(const std::vector<Word>& words, std::size_t begin, std::size_t end) {
    if (begin == end)
        fault("missing event before or after 'then'");
    const std::string& what = words[begin].text;
    const std::size_t args = end - begin - 1;
    if (what == "text" || what == "die") {
        if (args != 1)
            fault("expected '" + what + " \"text\"'");
        return what == "text" ? textEvent(words[begin + 1].text)
                              : terminationEvent(false, words[begin + 1].text);
    }
    if (what != "event")
        fault("unknown reaction '" + what + "'");
    if (args == 0)
        fault("event without a name");
    EngineEvent event = namedEvent(words[begin + 1].text);
    for (std::size_t i = begin + 2; i < end; ++i) {
        const std::string& field = words[i].text;
        const std::size_t equals = field.find('=');
        if (equals == std::string::npos)
            fault("expected key=value, got '" + field + "'");
        const std::string key = field.substr(0, equals);
        const std::string value = field.substr(equals + 1);
        if (key == "file")
            event.file = value;
        else if (key == "line")
            event.line = toInt(value, "line");
        else if (key == "time")
            event.time = toTime(value);
        else if (key == "id")
            event.conditionId = toInt(value, "id");
        else
            fault("unknown event field '" + key + "'");
    }
    return event;
}

/// The reaction of "on REQUEST ...": words from index 2.
Reaction parseReaction(const std::vector<Word>& words) {
    const std::string& request = words[1].text;
    const std::string& first = words[2].text;
    if (first == "error") {
        expectCount(words, 4, "on " + request + " error \"message\"");
        return Reaction::throwError(words[3].text);
    }
    if (first == "interrupt") {
        expectCount(words, 3, "on " + request + " interrupt");
        return Reaction::throwInterrupt();
    }
    std::vector<EngineEvent> events;
    std::size_t begin = 2;
    for (std::size_t i = 2; i <= words.size(); ++i) {
        if (i == words.size() || (words[i].text == "then" && !words[i].quoted)) {
            events.push_back(parseItem(words, begin, i));
            begin = i + 1;
        }
    }
    return Reaction::deliver(events);
}

/// The block or data object at an absolute path of the design, for driver and load records.
const IObject* designObject(const IReader* reader, const std::string& path) {
    if (reader == nullptr)
        fault("driver and load records need a design");
    if (const IObject* object = reader->findDataObj(path))
        return object;
    if (const IObject* block = reader->findBlock(path))
        return block;
    fault("no object or block '" + path + "' in the design");
}

} // namespace

void EngineDouble::loadScript(std::istream& in) {
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        try {
            const std::vector<Word> words = splitWords(line);
            if (words.empty() || (!words[0].quoted && words[0].text[0] == '#'))
                continue;
            const std::string& directive = words[0].text;
            if (directive == "value") {
                expectCount(words, 3, "value PATH VALUE");
                setSignalValue(words[1].text, words[2].text);
            } else if (directive == "time") {
                expectCount(words, 2, "time TIME");
                setCurrentTime(toTime(words[1].text));
            } else if (directive == "status") {
                expectCount(words, 2, "status CODE");
                setStatusCode(static_cast<std::uint32_t>(
                    toInteger(words[1].text, 0, std::numeric_limits<std::uint32_t>::max(),
                              "status code")));
            } else if (directive == "step-location") {
                expectCount(words, 3, "step-location FILE LINE");
                setStepLocation(words[1].text, toInt(words[2].text, "line"));
            } else if (directive == "driver") {
                expectCount(words, 4, "driver PATH DRIVER TEXT");
                DriverRecord record{designObject(reader_, words[2].text), words[3].text};
                std::lock_guard<std::mutex> lock(mutex_);
                drivers_[words[1].text].push_back(record);
            } else if (directive == "load") {
                expectCount(words, 4, "load PATH LOAD INDEX");
                LoadRecord record{designObject(reader_, words[2].text),
                                  toInt(words[3].text, "index")};
                std::lock_guard<std::mutex> lock(mutex_);
                loads_[words[1].text].push_back(record);
            } else if (directive == "on") {
                if (words.size() < 3)
                    fault("expected 'on REQUEST REACTION'");
                if (!requestNames().count(words[1].text))
                    fault("unknown request '" + words[1].text + "'");
                script(words[1].text, parseReaction(words));
            } else {
                fault("unknown directive '" + directive + "'");
            }
        } catch (const ScriptFault& error) {
            throw std::runtime_error("engine script line " + std::to_string(number) + ": " +
                                     error.reason + ": " + line);
        }
    }
}

} // namespace Test
} // namespace Tavrin
