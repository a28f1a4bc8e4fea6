// Catching vvp's statement reports on std::cerr. vvp's own symbols used (all exported by
// /usr/bin/vvp 11): `show_file_line` (bool: report statements), `vpi_mode_flag` (the VPI mode,
// set to "calltf" while a request is served inside a report so VPI calls are allowed).
#include "StatementHook.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>
#include <iostream>
#include <streambuf>

#include <vpi_user.h>

#include "Breakpoints.h"
#include "EngineCommands.h"
#include "EngineCore.h"
#include "Session.h"
#include "Wire.h"

namespace OrvexEngine {

namespace {
bool* showFileLine = nullptr;
int* vpiModeFlag = nullptr;
constexpr int kVpiModeCalltf = 3; // vvp's VPI_MODE_CALLTF

bool lineTrace = false;
bool insideReport = false;

void onStatement(const std::string& file, int line) {
    insideReport = true;
    int savedMode = *vpiModeFlag;
    *vpiModeFlag = kVpiModeCalltf;
    std::string place = file + ":" + std::to_string(line);
    if (lineTrace) sendMessage("ltrace: " + place);
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
class ReportBuffer : public std::streambuf {
public:
    explicit ReportBuffer(std::streambuf* real) : real_(real) {}

protected:
    int overflow(int c) override {
        if (c == traits_type::eof()) return traits_type::not_eof(c);
        take(static_cast<char>(c));
        return c;
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        for (std::streamsize i = 0; i < n; ++i) take(s[i]);
        return n;
    }
    int sync() override {
        // Without reports switched on nothing is held back, so stderr keeps its timing.
        if (!collecting()) forward();
        return real_->pubsync();
    }

private:
    bool collecting() const { return !insideReport && showFileLine && *showFileLine; }
    void forward() {
        if (!held_.empty()) real_->sputn(held_.data(), static_cast<std::streamsize>(held_.size()));
        held_.clear();
    }
    void take(char c) {
        held_ += c;
        if (c != '\n') return;
        std::string file;
        int line = 0;
        if (collecting() && held_.compare(0, kAdvancing.size(), kAdvancing) == 0) {
            held_.clear(); // vvp's note of each time step while reports are on: not for the user
        } else if (collecting() && parseStatementReport(held_.substr(0, held_.size() - 1), file, line)) {
            held_.clear();
            onStatement(file, line);
        } else {
            forward();
        }
    }

    const std::string kAdvancing = "Advancing to simulation time: ";
    std::streambuf* real_;
    std::string held_;
};

void raiseReports() {
    if (showFileLine) __atomic_store_n(showFileLine, true, __ATOMIC_RELAXED);
}
} // namespace

bool parseStatementReport(const std::string& text, std::string& file, int& line) {
    // "<file>:<line>: <description>." where the file name may itself hold colons.
    for (std::size_t sep = text.find(": "); sep != std::string::npos; sep = text.find(": ", sep + 1)) {
        if (sep < 3) continue;
        std::size_t colon = text.rfind(':', sep - 1);
        if (colon == std::string::npos || colon == 0 || colon + 1 >= sep) continue;
        std::string digits = text.substr(colon + 1, sep - colon - 1);
        if (digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos) continue;
        std::string description = text.substr(sep + 2);
        if (description.empty() || description.back() != '.') return false;
        file = text.substr(0, colon);
        line = std::atoi(digits.c_str());
        return true;
    }
    return false;
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
    Wire::setStopNotifier(raiseReports);
    return true;
}

bool statementHookAvailable() { return showFileLine != nullptr; }

void requireStatementHook(const char* what) {
    if (!statementHookAvailable())
        throw EngineError(std::string(what) + " is not supported: this vvp does not report statements");
}

void refreshStatementHook() {
    if (!showFileLine) return;
    bool need = haveBreakpoints() || lineTrace || Wire::stopsPending > 0 ||
                runKind() == RunKind::Step;
    __atomic_store_n(showFileLine, need, __ATOMIC_RELAXED);
}

void setLineTrace(bool on) { lineTrace = on; refreshStatementHook(); }
bool lineTraceOn() { return lineTrace; }

} // namespace OrvexEngine
