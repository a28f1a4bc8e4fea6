// The launcher's -gui and -wavelog options: the GTKWave window beside the shell.
#pragma once

#include <memory>
#include <string>

#include "GtkWaveGui.h"

namespace Tavrin {
class ITclObject;
}

namespace OrvexLauncher {

struct GuiRequest {
    bool wanted = false;  // -gui
    bool logAll = true;   // -wavelog all (the default) or none
};

/// Takes "-gui" and "-wavelog all|none" at argv[i] (moving i past a value). Returns 1 when the
/// word was one of them, 0 when not, -1 for a bad value (a message has been printed).
int parseGuiOption(int argc, char** argv, int& i, GuiRequest& request);

/// The window host, when -gui was asked for and a window can be shown here; otherwise null, and
/// one message says what is missing. Made before the engine starts (it hears every stop).
std::unique_ptr<OrvexGui::GtkWaveGui> makeGui(const GuiRequest& request, Tavrin::ITclObject& control,
                                              const std::string& database);
/// Records what was asked for and opens the window, once the engine is ready.
void startGui(OrvexGui::GtkWaveGui* gui, Tavrin::ITclObject& control);

} // namespace OrvexLauncher
