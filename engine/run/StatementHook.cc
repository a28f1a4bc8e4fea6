// Catching vvp's statement reports on std::cerr. vvp's own symbols used (all exported by
// /usr/bin/vvp 11): `show_file_line` (bool: report statements), `vpi_mode_flag` (the VPI mode,
// set to "calltf" while a request is served inside a report so VPI calls are allowed).
#include "StatementHook.h"

#include <dlfcn.h>
#include <unistd.h>

#include <charconv>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <streambuf>

#include <vpi_user.h>

#include "Breakpoints.h"
#include "EngineCommands.h"
#include "EngineCore.h"
#include "Session.h"
#include "StatementSites.h"
#include "vvp_internals/StatementPatch.h"
#include "Wire.h"

namespace OrvexEngine {

namespace {
bool* showFileLine = nullptr;
int* vpiModeFlag = nullptr;
constexpr int kVpiModeCalltf = 3; // vvp's VPI_MODE_CALLTF

bool lineTrace = false;
bool insideReport = false;

/// False when a statement at `line` can do nothing (the common case: a run with breakpoints on
/// other lines), decided without building or looking up anything beyond the line's bit.
bool statementMatters(int line) {
    if (lineTrace) return true;
    if (!isRunning()) return false;
    return Wire::stopsPending.load(std::memory_order_relaxed) > 0 || runKind() == RunKind::Step ||
           breakpointOnLine(line);
}

/// The record sendMessage("ltrace: FILE:LINE\n") would write, made once per patched site.
std::string traceRecord(const std::string& file, int line) {
    return "~" + Orvex::Mi::quote("ltrace: " + file + ":" + std::to_string(line) + "\n") + "\n";
}

/// The same record for a statement reported by vvp, built in one kept buffer: the quoted part
/// before the line number is made again only when the file changes, so a traced statement costs
/// no allocation and no quoting.
void traceLine(const std::string& file, int line) {
    static std::string lastFile;
    static std::string message;
    static std::size_t prefixSize = 0;
    if (prefixSize == 0 || file != lastFile) {
        lastFile = file;
        std::string quoted = Orvex::Mi::quote("ltrace: " + file + ":");
        message = "~" + quoted.substr(0, quoted.size() - 1); // without the closing quote
        prefixSize = message.size();
    }
    message.resize(prefixSize);
    char digits[16];
    char* end = std::to_chars(digits, digits + sizeof digits, line).ptr;
    message.append(digits, end);
    message += "\\n\"\n";
    Wire::queueRecord(message.data(), message.size());
}

void onStatement(const std::string& file, int line) {
    insideReport = true;
    int savedMode = *vpiModeFlag;
    *vpiModeFlag = kVpiModeCalltf;
    if (lineTrace) traceLine(file, line);
    if (isRunning()) {
        Orvex::Mi::Value where = Orvex::Mi::Value::tuple();
        where.add("file", file).add("line", line);
        if (Wire::stopsPending > 0) {
            pauseWith("user-stop", where);
        } else if (runKind() == RunKind::Step) {
            pauseWith("end-stepping", where);
        } else if (int index = breakpointAt(file, line)) {
            where.add("index", index);
            pauseWith("breakpoint-hit", where);
        }
    }
    *vpiModeFlag = savedMode;
    insideReport = false;
}

/// Sits on std::cerr: statement reports are taken, everything else goes on to the real buffer.
/// A report costs no allocation: the held line keeps its capacity and is parsed in place.
/// std::cerr is untied from std::cout (which would flush std::cout before every piece of every
/// report); instead std::cout is flushed before text is passed on, which keeps the order of
/// the design's output and error text as the tie did.
class ReportBuffer : public std::streambuf {
public:
    explicit ReportBuffer(std::streambuf* real) : real_(real) { held_.reserve(512); }

protected:
    int overflow(int c) override {
        if (c == traits_type::eof()) return traits_type::not_eof(c);
        held_ += static_cast<char>(c);
        if (c == '\n') endOfLine();
        return c;
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        const char* p = s;
        const char* end = s + n;
        while (p < end) {
            const char* nl = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
            if (!nl) {
                held_.append(p, static_cast<std::size_t>(end - p));
                break;
            }
            held_.append(p, static_cast<std::size_t>(nl + 1 - p));
            p = nl + 1;
            endOfLine();
        }
        return n;
    }
    int sync() override {
        // While reports are collected nothing is held for the real buffer (other text goes on at
        // its line end, and standard error is unbuffered), so there is nothing to flush; without
        // reports nothing is held back, so stderr keeps its timing.
        if (collecting()) return 0;
        forward();
        return real_->pubsync();
    }

private:
    bool collecting() const { return !insideReport && showFileLine && *showFileLine; }
    void forward() {
        if (held_.empty()) return;
        std::cout.flush();
        real_->sputn(held_.data(), static_cast<std::streamsize>(held_.size()));
        held_.clear();
    }
    void endOfLine() {
        if (!collecting()) {
            forward();
            return;
        }
        static constexpr char kAdvancing[] = "Advancing to simulation time: ";
        constexpr std::size_t advancingSize = sizeof kAdvancing - 1;
        const char* text = held_.data();
        const std::size_t size = held_.size() - 1; // without the line end
        std::size_t fileSize = 0;
        int line = 0;
        if (size >= advancingSize && std::memcmp(text, kAdvancing, advancingSize) == 0) {
            held_.clear(); // vvp's note of each time step while reports are on: not for the user
        } else if (parseStatementReport(text, size, fileSize, line)) {
            if (statementMatters(line)) {
                std::string file(text, fileSize);
                held_.clear(); // before serving: text written meanwhile is passed on alone
                onStatement(file, line);
            } else {
                held_.clear();
            }
        } else {
            forward();
        }
    }

    std::streambuf* real_;
    std::string held_;
};

// Called on the reader thread: touches nothing but the flags.
void raiseReports() {
    if (statementSitesActive())
        VvpInternals::raiseEveryStatement();
    else if (showFileLine) __atomic_store_n(showFileLine, true, __ATOMIC_RELAXED);
}
} // namespace

bool parseStatementReport(const char* text, std::size_t size, std::size_t& fileSize, int& line) {
    // "<file>:<line>: <description>." where the file name may itself hold colons. The first
    // ": " preceded by ":<digits>" ends the place.
    for (std::size_t sep = 3; sep + 1 < size; ++sep) {
        if (text[sep] != ':' || text[sep + 1] != ' ') continue;
        std::size_t colon = sep - 1;
        int value = 0;
        std::size_t digits = 0;
        while (colon > 0 && text[colon] >= '0' && text[colon] <= '9') {
            --colon;
            ++digits;
        }
        if (text[colon] != ':' || colon == 0 || digits == 0 || digits > 9) continue;
        for (std::size_t i = colon + 1; i < sep; ++i) value = value * 10 + (text[i] - '0');
        // The description: not empty (most end with a full stop; queue methods' do not).
        if (sep + 2 >= size) return false;
        fileSize = colon;
        line = value;
        return true;
    }
    return false;
}

bool parseStatementReport(const std::string& text, std::string& file, int& line) {
    std::size_t fileSize = 0;
    if (!parseStatementReport(text.data(), text.size(), fileSize, line)) return false;
    file.assign(text, 0, fileSize);
    return true;
}

bool installStatementHook() {
    showFileLine = static_cast<bool*>(dlsym(RTLD_DEFAULT, "show_file_line"));
    vpiModeFlag = static_cast<int*>(dlsym(RTLD_DEFAULT, "vpi_mode_flag"));
    if (!showFileLine || !vpiModeFlag) {
        showFileLine = nullptr;
        return false;
    }
    static ReportBuffer buffer(std::cerr.rdbuf());
    std::cerr.rdbuf(&buffer);
    std::cerr.tie(nullptr); // the buffer flushes std::cout before passing text on

    Wire::setStopNotifier(raiseReports);
    return true;
}

bool statementHookAvailable() { return showFileLine != nullptr; }

void startStatementMechanism() {
    if (showFileLine) startStatementSites(showFileLine);
}

void requireStatementHook(const char* what) {
    if (!statementHookAvailable())
        throw EngineError(std::string(what) + " is not supported: this vvp does not report statements");
}

void refreshStatementHook() {
    if (!showFileLine) return;
    bool every = Wire::stopsPending > 0 || runKind() == RunKind::Step;
    if (statementSitesActive()) {
        // Patched sites report by themselves; vvp's flag stays down (it would also note every
        // time step).
        refreshStatementSites(every, lineTrace, traceRecord);
        __atomic_store_n(showFileLine, false, __ATOMIC_RELAXED);
        return;
    }
    bool need = haveBreakpoints() || every || lineTrace;
    __atomic_store_n(showFileLine, need, __ATOMIC_RELAXED);
}

void setLineTrace(bool on) { lineTrace = on; refreshStatementHook(); }
bool lineTraceOn() { return lineTrace; }

} // namespace OrvexEngine
