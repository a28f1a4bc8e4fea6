// -gui: the waveform window host wired into the launcher.
#include "GuiLaunch.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tavrin/TclControl.h"

namespace OrvexLauncher {

int parseGuiOption(int argc, char** argv, int& i, GuiRequest& request) {
    if (std::strcmp(argv[i], "-gui") == 0) {
        request.wanted = true;
        return 1;
    }
    if (std::strcmp(argv[i], "-wavelog") != 0) return 0;
    if (i + 1 >= argc || (std::strcmp(argv[i + 1], "all") != 0 && std::strcmp(argv[i + 1], "none") != 0)) {
        std::fprintf(stderr, "orvex: -wavelog takes all or none, not '%s'\n", i + 1 < argc ? argv[i + 1] : "");
        return -1;
    }
    request.logAll = std::strcmp(argv[++i], "all") == 0;
    return 1;
}

std::unique_ptr<OrvexGui::GtkWaveGui> makeGui(const GuiRequest& request, Tavrin::ITclObject& control,
                                              const std::string& database) {
    if (!request.wanted) return nullptr;
    OrvexGui::GuiSettings settings;
    if (const char* viewer = std::getenv("ORVEX_GTKWAVE")) settings.viewer = viewer;
    const std::string missing = OrvexGui::GtkWaveGui::whatIsMissing(settings.viewer);
    if (!missing.empty()) {
        std::fprintf(stderr, "orvex: no waveform window: %s; the shell runs without it\n", missing.c_str());
        return nullptr;
    }
    if (control.getSimulationControl() == nullptr) {
        std::fprintf(stderr, "orvex: no waveform window: no design was given; the shell runs without it\n");
        return nullptr;
    }
    settings.database = database;
    settings.logAll = request.logAll;
    return std::unique_ptr<OrvexGui::GtkWaveGui>(new OrvexGui::GtkWaveGui(settings, control.getSimulationControl()));
}

void startGui(OrvexGui::GtkWaveGui* gui, Tavrin::ITclObject& control) {
    if (gui == nullptr) return;
    const std::string failure = gui->start(control.getReader());
    if (!failure.empty()) std::fprintf(stderr, "orvex: no waveform window yet: %s\n", failure.c_str());
    control.setGuiControl(gui);
}

} // namespace OrvexLauncher
