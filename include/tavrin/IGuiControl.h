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
    virtual void useWcfg(const StringBase& wcfgName) = 0;
    virtual void updateWcfg(const StringBase& wcfgName) = 0;
    virtual void newWcfg() = 0;
    virtual void openWcfg(const StringBase& fileName) = 0;
    virtual void saveWcfg(const StringBase& fileName) = 0;
    virtual void selectWcfg(const StringBase& fileName) = 0;
    virtual void addWaveObjects(std::vector<int>& ids, const std::vector<const IObject*>& objects,
                                int intoId, const StringBase& wcfgName, bool recursive) = 0;
    virtual int addWaveContainer(const StringBase& kind, int intoId, const StringBase& wcfgName) = 0;
    virtual void addMarker(std::int64_t time, const StringBase& text) = 0;
    virtual void setWaveObjectProperty(const StringBase& wcfgName, const std::vector<int>& ids,
                                       const StringBase& key, const StringBase& value) = 0;
    virtual void selectWaveObjects(const StringBase& wcfgName, const std::vector<int>& ids) = 0;
    virtual bool quit(bool force, bool exitGui) = 0;
    virtual void exitSimulation() = 0;
    virtual void shellReady() = 0;
    virtual ~IGuiControl() = default;
};

} // namespace Tavrin
