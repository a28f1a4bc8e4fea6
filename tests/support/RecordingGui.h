// RecordingGui: a waveform window that records every call made to it, for tests of the window
// commands.
//
// Call log. Each call appends one line: the operation name and its arguments separated by
// single blanks. An empty text is "{}", an id list is "[1,2]", objects appear as their paths,
// booleans as 0 or 1, times in femtoseconds; what the window hands back follows "->". Examples:
//     useWcfg {}                              addWaveObjects [/tb/clk,/tb/dut] -1 {} 0 -> [1,2]
//     addWaveContainer group -1 {} -> 3       setWaveObjectProperty {} [3] label g1
//     selectWaveObjects {} [1,2]              addMarker 10000000 {}
//     openWcfg a.wcfg                         quit 1 0 -> 1
//
// Answers. addWaveObjects creates one wave object per design object, with ids counting up
// from 1 across all adds; addWaveContainer takes the next id too. Tests may instead set what
// the next calls give: nextObjectIds (the whole list of one addWaveObjects call, consumed once)
// and nextContainerIds (one per addWaveContainer call, oldest first). failOn names an operation
// that throws TclCommandActionErrorException "window refused OPERATION" (after logging).
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "tavrin/IGuiControl.h"

namespace Tavrin {
namespace Test {

class RecordingGui : public IGuiControl {
public:
    std::vector<std::string> calls;
    std::optional<std::vector<int>> nextObjectIds;
    std::deque<int> nextContainerIds;
    std::string failOn;
    bool quitAnswer = true;

    void useWcfg(const StringBase& wcfgName) override;
    void updateWcfg(const StringBase& wcfgName) override;
    void newWcfg() override;
    void openWcfg(const StringBase& fileName) override;
    void saveWcfg(const StringBase& fileName) override;
    void selectWcfg(const StringBase& fileName) override;
    void addWaveObjects(std::vector<int>& ids, const std::vector<const IObject*>& objects,
                        int intoId, const StringBase& wcfgName, bool recursive) override;
    int addWaveContainer(const StringBase& kind, int intoId, const StringBase& wcfgName) override;
    void addMarker(std::int64_t time, const StringBase& text) override;
    void setWaveObjectProperty(const StringBase& wcfgName, const std::vector<int>& ids,
                               const StringBase& key, const StringBase& value) override;
    void selectWaveObjects(const StringBase& wcfgName, const std::vector<int>& ids) override;
    bool quit(bool force, bool exitGui) override;
    void exitSimulation() override;
    void shellReady() override;

private:
    // Appends the line, then throws when the operation is the one set to fail.
    void record(const std::string& operation, const std::string& arguments);
    int nextId_ = 1;
};

} // namespace Test
} // namespace Tavrin
