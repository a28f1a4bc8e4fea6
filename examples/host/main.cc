// A host of the Orvex shell built against the installed libTavrin: compiles the Verilog files
// given with Icarus Verilog, starts the engine on them and reads shell commands from standard
// input until quit or its end.
//   tavrin_host FILE.v ... < script.tcl
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "orvex/Exceptions.h"
#include "tavrin/SimClient.h"
#include "tavrin/TclControl.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE.v ... < script.tcl\n", argv[0]);
        return 2;
    }
    char folder[] = "/tmp/tavrin-host-XXXXXX";
    if (::mkdtemp(folder) == nullptr) {
        std::perror("tavrin_host: mkdtemp");
        return 1;
    }
    std::string design = std::string(folder) + "/design.vvp";
    std::string compile = "iverilog -o '" + design + "'";
    for (int i = 1; i < argc; ++i) compile += std::string(" '") + argv[i] + "'";
    if (std::system(compile.c_str()) != 0) {
        std::fprintf(stderr, "tavrin_host: the design did not compile\n");
        std::filesystem::remove_all(folder);
        return 2;
    }

    // The client owns the engine process; the control runs the shell and its log.
    std::string engine = std::string("vvp -M ") + TAVRIN_ENGINE_DIR + " -m orvex " + design;
    Tavrin::LiveSimClient* client =
        Tavrin::LiveSimClientFactory::getInstance().create(engine, "", nullptr, false);
    Tavrin::TclControlFactory factory;
    std::unique_ptr<Tavrin::TclControl> control(
        static_cast<Tavrin::TclControl*>(factory.createTclObjectUseStdio()));

    int status = 0;
    try {
        control->setLiveSimClient(client);
        control->startEngineProcess(nullptr, true);
        status = control->startTcl(argv[0], nullptr, nullptr);
    } catch (const Orvex::EndOfInputException&) {
        // Leaving the shell (quit, exit or the end of input) ends startTcl this way.
        status = control->getExitStatus();
    } catch (const Orvex::Exception& e) {
        std::fprintf(stderr, "tavrin_host: %s\n", e.getDescription());
        status = 1;
    }
    client->shutDownEngine();
    control->shutDown();
    control->closeLiveSimClient();
    control.reset();
    std::filesystem::remove_all(folder);
    return status;
}
