// orvex: the command-line launcher. Compiles the Verilog files given, starts the engine and runs
// the shell; without files the shell runs with no engine. Every way out (quit, exit, end of
// input, signals, a closed standard output) leaves the terminal as it was found and removes the
// session's work folder.
#include <malloc.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "CompileCache.h"
#include "Completion.h"
#include "DesignCompiler.h"
#include "GuiLaunch.h"
#include "EngineStopper.h"
#include "HistoryFile.h"
#include "LauncherOptions.h"
#include "LineEditConsole.h"
#include "ProgressLine.h"
#include "SessionExit.h"
#include "WorkFolder.h"
#include "orvex/Exceptions.h"
#include "orvex/Platform.h"
#include "orvex/PosixIo.h"
#include "tavrin/SimClient.h"
#include "tavrin/TclControl.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kHistoryLimit = 2000;

// The folder holding the engine module, from the install path list.
std::string findEngineLibDir() {
    for (const std::string& dir : Tavrin::KestrinPath::getInstance().getDirectories()) {
        std::string candidate = dir + "/lib/ivl";
        if (Tavrin::Platform::fileExists(candidate + "/orvex.vpi")) return candidate;
    }
    return std::string();
}

// The engine's command line. It is split into words without any shell; double quotes keep a
// word with blanks whole and are the one character a word cannot hold.
bool engineCommandLine(const std::vector<std::string>& words, std::string& line) {
    for (const std::string& word : words) {
        if (word.find('"') != std::string::npos) {
            std::fprintf(stderr, "orvex: cannot start the engine with a double quote in '%s'\n", word.c_str());
            return false;
        }
        if (!line.empty()) line += ' ';
        line += '"' + word + '"';
    }
    return true;
}

// Asked after a second Ctrl-C within a second while the engine has not stopped.
bool userWantsEngineEnded() {
    std::fputs("\nThe simulation engine does not answer. End it? [y/N] ", stdout);
    std::fflush(stdout);
    pollfd in = {0, POLLIN, 0};
    if (Tavrin::pollRetrying(&in, 1, 30000) <= 0) return false;
    char answer[64] = {0};
    ssize_t n = Tavrin::readRetrying(0, answer, sizeof answer - 1);
    return n > 0 && (answer[0] == 'y' || answer[0] == 'Y');
}

} // namespace

int main(int argc, char** argv) {
    // A line trace brings the engine's text in blocks of 64-200 KB, each copied a few times on
    // its way to the console: above glibc's 128 KB mmap threshold every copy was a fresh mapping
    // whose pages faulted in (the shell's system time doubled).
    mallopt(M_MMAP_THRESHOLD, 4 << 20);
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
    OrvexLauncher::Options options;
    int early = OrvexLauncher::parseOptions(argc, argv, options);
    if (early >= 0) return early;
    if (options.version) {
        OrvexLauncher::printVersions();
        return 0;
    }

    Tavrin::KestrinPath::getInstance().setProgramPath(argv[0]);
    // Before any thread exists: every later thread inherits the mask.
    OrvexLauncher::SessionExit::blockSignals();
    OrvexLauncher::SessionExit session;
    Tavrin::LiveSimClient* client = nullptr;
    if (options.compile.namesDesign()) {
        std::string libDir = findEngineLibDir();
        if (libDir.empty()) {
            std::fprintf(stderr, "orvex: the engine module orvex.vpi is not installed\n");
            return 1;
        }
        std::string work = OrvexLauncher::makeWorkFolder();
        if (work.empty()) {
            std::fprintf(stderr, "orvex: cannot create a folder for the compiled design\n");
            return 1;
        }
        session.setWorkFolder(work);
        std::string messages;
        bool useCache = !options.noCache && OrvexLauncher::CompileCache::enabledByEnvironment();
        bool compiled = OrvexLauncher::compileDesign(options.compile, work, libDir, useCache, messages);
        std::fputs(messages.c_str(), compiled ? stdout : stderr);
        if (!compiled) {
            std::fprintf(stderr, "orvex: the design did not compile\n");
            session.cleanUp();
            return 2;
        }
        if (Tavrin::Platform::fileExists(work + "/design.odb"))
            Tavrin::Platform::setEnv("ORVEX_DESIGN_INFO", work + "/design.odb");
        std::vector<std::string> words = {"vvp", "-M", libDir, "-m", "orvex", work + "/design.vvp"};
        words.insert(words.end(), options.plusargs.begin(), options.plusargs.end());
        std::string engine;
        if (!engineCommandLine(words, engine)) {
            session.cleanUp();
            return 1;
        }
        client = Tavrin::LiveSimClientFactory::getInstance().create(engine, options.wdb, nullptr, false);
    }

    // Line editing needs a terminal on both sides; otherwise the shell reads standard input.
    bool terminal = ::isatty(0) != 0 && ::isatty(1) != 0;
    std::unique_ptr<OrvexLauncher::HistoryFile> history;
    std::unique_ptr<OrvexLauncher::LineEditConsole> editor;
    std::unique_ptr<Tavrin::TclControl> control;
    std::unique_ptr<OrvexLauncher::Completion> completion;
    if (terminal) {
        history.reset(new OrvexLauncher::HistoryFile(OrvexLauncher::HistoryFile::defaultPath(), kHistoryLimit));
        history->load();
        editor.reset(new OrvexLauncher::LineEditConsole(
            history.get(), [&completion](const std::string& line, const std::string& word) {
                return completion ? completion->candidates(line, word) : std::vector<std::string>();
            }));
    }
    Tavrin::TclControlFactory factory;
    control.reset(static_cast<Tavrin::TclControl*>(editor ? factory.createTclObject(*editor)
                                                          : factory.createTclObjectUseStdio()));
    completion.reset(new OrvexLauncher::Completion(*control));
    if (history) control->setEarlierHistory(history->lines());
    if (!options.commands.empty()) control->setStartupCommands(options.commands);

    Tavrin::ISimulationControl* engine = client != nullptr ? client->getSimulationControl() : nullptr;
    std::unique_ptr<OrvexLauncher::EngineStopper> stopper;
    if (engine != nullptr) stopper.reset(new OrvexLauncher::EngineStopper(engine));
    std::unique_ptr<OrvexLauncher::ProgressLine> progress;
    if (engine != nullptr && editor) {
        progress.reset(new OrvexLauncher::ProgressLine(*editor));
        engine->addEventHandler(progress.get());
    }
    Clock::time_point lastInterrupt;
    bool interruptedBefore = false;
    OrvexLauncher::SessionExit::Handlers handlers;
    handlers.interrupt = [&] {
        // At the prompt Ctrl-C only discards the line; otherwise it stops the running command.
        if (editor && editor->interruptEditing()) return;
        if (stopper == nullptr) return;
        Clock::time_point now = Clock::now();
        bool again = interruptedBefore && now - lastInterrupt < std::chrono::seconds(1);
        interruptedBefore = true;
        lastInterrupt = now;
        // The terminal echoed ^C; the stop line starts on a line of its own.
        if (editor) editor->endInterruptedLine();
        // A stop still unanswered means the engine does not answer.
        if (!stopper->request() && again && editor && userWantsEngineEnded()) client->killEngine();
    };
    handlers.terminate = [&](int) {
        control->requestLeave();
        if (editor) editor->close();
        if (stopper) stopper->request();
    };
    session.startWatcher(handlers);

    int status = 0;
    std::unique_ptr<OrvexGui::GtkWaveGui> gui;
    try {
        if (client != nullptr) control->setLiveSimClient(client);
        gui = OrvexLauncher::makeGui(options.gui, *control, options.wdb);
        control->startEngineProcess(options.logFile, options.noLog);
        OrvexLauncher::startGui(gui.get(), *control);
        control->saveCommandLineToLog(argc, argv);
        status = control->startTcl(argv[0], options.batchFile, nullptr);
    } catch (const Orvex::EndOfInputException&) {
        status = control->batchFileFailed() ? 1 : control->getExitStatus();
        if (status == 0 && control->commandFailed()) status = 1;
    } catch (const Orvex::Exception& e) {
        std::fprintf(stderr, "orvex: %s\n", e.getDescription());
        status = 1;
    }
    // The handlers use the engine and the console, which are taken down next.
    session.stopHandlers();
    // The input side ends first, so that nothing waits for a line that will never come.
    if (editor) editor->close();
    stopper.reset();
    if (gui) gui->close(); // no window outlives the shell
    if (client != nullptr) client->shutDownEngine();
    control->shutDown();
    control->closeLiveSimClient();
    progress.reset(); // no event comes once the client is closed
    completion.reset();
    control.reset();
    session.sessionEnded();
    session.cleanUp();
    if (session.endingSignal() != 0) session.endAsSignalled();
    return status;
}
