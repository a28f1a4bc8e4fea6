// The recording waveform window: call log and scripted answers.
#include "RecordingGui.h"

#include "tavrin/TclExceptions.h"

namespace Tavrin {
namespace Test {

namespace {

std::string text(const StringBase& value) { return value.empty() ? "{}" : value.str(); }

std::string flag(bool on) { return on ? "1" : "0"; }

std::string idList(const std::vector<int>& ids) {
    std::string list = "[";
    for (std::size_t i = 0; i < ids.size(); ++i) list += (i ? "," : "") + std::to_string(ids[i]);
    return list + "]";
}

std::string pathList(const std::vector<const IObject*>& objects) {
    std::string list = "[";
    for (std::size_t i = 0; i < objects.size(); ++i)
        list += (i ? "," : "") + (objects[i] ? text(objects[i]->getPath()) : "<null>");
    return list + "]";
}

} // namespace

void RecordingGui::record(const std::string& operation, const std::string& arguments) {
    calls.push_back(arguments.empty() ? operation : operation + " " + arguments);
    if (operation == failOn)
        ORVEX_THROW(TclCommandActionErrorException, "window refused " + operation);
}

void RecordingGui::useWcfg(const StringBase& wcfgName) { record("useWcfg", text(wcfgName)); }

void RecordingGui::updateWcfg(const StringBase& wcfgName) { record("updateWcfg", text(wcfgName)); }

void RecordingGui::newWcfg() { record("newWcfg", ""); }

void RecordingGui::openWcfg(const StringBase& fileName) { record("openWcfg", text(fileName)); }

void RecordingGui::saveWcfg(const StringBase& fileName) { record("saveWcfg", text(fileName)); }

void RecordingGui::selectWcfg(const StringBase& fileName) { record("selectWcfg", text(fileName)); }

void RecordingGui::addWaveObjects(std::vector<int>& ids, const std::vector<const IObject*>& objects,
                                  int intoId, const StringBase& wcfgName, bool recursive) {
    std::vector<int> created;
    if (nextObjectIds) {
        created = *nextObjectIds;
        nextObjectIds.reset();
    } else {
        for (std::size_t i = 0; i < objects.size(); ++i) created.push_back(nextId_++);
    }
    record("addWaveObjects", pathList(objects) + " " + std::to_string(intoId) + " " +
                                 text(wcfgName) + " " + flag(recursive) + " -> " +
                                 idList(created));
    ids.insert(ids.end(), created.begin(), created.end());
}

int RecordingGui::addWaveContainer(const StringBase& kind, int intoId, const StringBase& wcfgName) {
    int id = nextId_;
    if (!nextContainerIds.empty()) {
        id = nextContainerIds.front();
        nextContainerIds.pop_front();
    } else {
        ++nextId_;
    }
    record("addWaveContainer", text(kind) + " " + std::to_string(intoId) + " " + text(wcfgName) +
                                   " -> " + std::to_string(id));
    return id;
}

void RecordingGui::addMarker(std::int64_t time, const StringBase& markerText) {
    record("addMarker", std::to_string(time) + " " + text(markerText));
}

void RecordingGui::setWaveObjectProperty(const StringBase& wcfgName, const std::vector<int>& ids,
                                         const StringBase& key, const StringBase& value) {
    record("setWaveObjectProperty",
           text(wcfgName) + " " + idList(ids) + " " + text(key) + " " + text(value));
}

void RecordingGui::selectWaveObjects(const StringBase& wcfgName, const std::vector<int>& ids) {
    record("selectWaveObjects", text(wcfgName) + " " + idList(ids));
}

bool RecordingGui::quit(bool force, bool exitGui) {
    record("quit", flag(force) + " " + flag(exitGui) + " -> " + flag(quitAnswer));
    return quitAnswer;
}

void RecordingGui::exitSimulation() { record("exitSimulation", ""); }

void RecordingGui::shellReady() { record("shellReady", ""); }

} // namespace Test
} // namespace Tavrin
