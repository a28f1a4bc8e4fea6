// The waveform window of a graphical host, as the window commands drive it.
#pragma once

#include <cstdint>
#include <vector>

#include "orvex/IReader.h"
#include "orvex/StringBase.h"

namespace Tavrin {

/// Implemented by a graphical host. An empty configuration name means the active configuration.
/// Without one, the window commands fail with "No active gui.".
class IGuiControl {
public:
    /// Makes the named configuration the target of the following calls, creating it when no
    /// configuration of that name exists.
    virtual void useWcfg(const StringBase& wcfgName) = 0;
    /// Ends a batch of additions and property changes (also an empty one).
    virtual void updateWcfg(const StringBase& wcfgName) = 0;
    virtual void newWcfg() = 0;
    virtual void openWcfg(const StringBase& fileName) = 0;
    /// Saves the active wave window to a configuration file.
    virtual void saveWcfg(const StringBase& fileName) = 0;
    /// Makes that configuration the active window.
    virtual void selectWcfg(const StringBase& fileName) = 0;
    /// Adds the blocks and data objects, in order, inside the group or virtual bus `intoId`
    /// (-1: the top level); `recursive` adds the child blocks of each block too. The ids of the
    /// wave objects created (possibly none) are appended to `ids`.
    virtual void addWaveObjects(std::vector<int>& ids, const std::vector<const IObject*>& objects,
                                int intoId, const StringBase& wcfgName, bool recursive) = 0;
    /// Creates a container of the kind "group", "divider" or "vbus"; its id (1 or more), or 0
    /// or less when nothing was created.
    virtual int addWaveContainer(const StringBase& kind, int intoId, const StringBase& wcfgName) = 0;
    /// A marker at a time in femtoseconds; `text` is always empty from the shell.
    virtual void addMarker(std::int64_t time, const StringBase& text) = 0;
    /// Sets one display property on every listed wave object.
    virtual void setWaveObjectProperty(const StringBase& wcfgName, const std::vector<int>& ids,
                                       const StringBase& key, const StringBase& value) = 0;
    virtual void selectWaveObjects(const StringBase& wcfgName, const std::vector<int>& ids) = 0;
    /// Takes the engine's place in quit while no engine runs; true when the quit goes ahead.
    virtual bool quit(bool force, bool exitGui) = 0;
    /// Takes the engine's place when Tcl exits while no engine runs.
    virtual void exitSimulation() = 0;
    /// Called once when the shell's start-up is complete.
    virtual void shellReady() = 0;
    virtual ~IGuiControl() = default;
};

} // namespace Tavrin
