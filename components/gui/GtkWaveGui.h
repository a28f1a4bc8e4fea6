// The graphical host: IGuiControl over a GTKWave window on the run's waveform database. The
// window commands become GTKWave Tcl commands (see the table in README.md); at every stop of the
// simulation the window reloads the database without holding up the shell.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "ViewerProcess.h"
#include "WaveModel.h"
#include "orvex/IEventHandler.h"
#include "tavrin/IGuiControl.h"

namespace Tavrin {
class ISimulationControl;
class IReader;
} // namespace Tavrin

namespace OrvexGui {

struct GuiSettings {
    std::string viewer = "gtkwave"; // the program, looked up on PATH
    std::string database;           // the waveform database file
    bool logAll = true;             // record every object from time 0 (-wavelog all)
};

class GtkWaveGui : public Tavrin::IGuiControl, public Tavrin::IEventHandler {
public:
    /// Why no window can be shown here (no display, no GTKWave), or an empty text.
    static std::string whatIsMissing(const std::string& viewer);

    /// Made before the engine starts, so that it hears every stop.
    GtkWaveGui(GuiSettings settings, Tavrin::ISimulationControl* engine);
    ~GtkWaveGui() override;

    /// Starts recording (all objects when asked) and opens the window once the database holds
    /// an object. Returns an empty text or why the window could not be opened.
    std::string start(Tavrin::IReader* reader);
    /// Closes the window (also the end of the shell).
    void close();
    /// The running viewer, for the launcher's tests and benchmark.
    ViewerProcess& viewer() { return viewer_; }

    // IGuiControl
    void useWcfg(const Tavrin::StringBase& wcfgName) override;
    void updateWcfg(const Tavrin::StringBase& wcfgName) override;
    void newWcfg() override;
    void openWcfg(const Tavrin::StringBase& fileName) override;
    void saveWcfg(const Tavrin::StringBase& fileName) override;
    void selectWcfg(const Tavrin::StringBase& fileName) override;
    void addWaveObjects(std::vector<int>& ids, const std::vector<const Tavrin::IObject*>& objects, int intoId,
                        const Tavrin::StringBase& wcfgName, bool recursive) override;
    int addWaveContainer(const Tavrin::StringBase& kind, int intoId, const Tavrin::StringBase& wcfgName) override;
    void addMarker(std::int64_t time, const Tavrin::StringBase& text) override;
    void setWaveObjectProperty(const Tavrin::StringBase& wcfgName, const std::vector<int>& ids,
                               const Tavrin::StringBase& key, const Tavrin::StringBase& value) override;
    void selectWaveObjects(const Tavrin::StringBase& wcfgName, const std::vector<int>& ids) override;
    bool quit(bool force, bool exitGui) override;
    void exitSimulation() override;
    void shellReady() override;

    // IEventHandler: every stop reloads the database.
    void handleEvent(const Tavrin::EngineEvent& event) override;

private:
    struct Tab {
        std::string name;
        WaveModel model;
    };

    std::string openWindow();
    void requireWindow();
    std::string call(const std::string& command);
    void refreshFacilities();
    std::vector<std::string> facilitiesOf(const Tavrin::IObject& object, bool recursive) const;
    void logObjects(const std::vector<const Tavrin::IObject*>& objects, bool recursive);
    void highlight(const std::vector<int>& rows);
    void positionAfter(int row);
    void createContainer(int id);
    void applyProperty(int id, const std::string& key, const std::string& value);
    Tab& tab() { return tabs_[active_]; }
    int tabNamed(const std::string& name) const;

    GuiSettings settings_;
    Tavrin::ISimulationControl* engine_;
    Tavrin::IReader* reader_ = nullptr;
    ViewerProcess viewer_;
    std::mutex startLock_;
    std::atomic<bool> windowOpened_{false};
    std::atomic<bool> facilitiesStale_{true};
    bool loggingStarted_ = false;
    std::vector<Tab> tabs_;
    std::size_t active_ = 0;
    std::vector<std::string> facilities_;
    std::unordered_map<std::string, std::string> byBase_; // "tb.q" -> "tb.q[3:0]"
    std::int64_t femtosPerUnit_ = 1;
    int markersUsed_ = 0;
};

} // namespace OrvexGui
