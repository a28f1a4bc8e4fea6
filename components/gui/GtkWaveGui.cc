// The GTKWave host: window commands to GTKWave Tcl, ids through the host's model, a reload of
// the database at every stop.
#include "GtkWaveGui.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <stdexcept>

#include "WaveColors.h"
#include "orvex/DataReader.h"
#include "orvex/Exceptions.h"
#include "orvex/ISimulationControl.h"
#include "orvex/IReader.h"

namespace OrvexGui {

using Tavrin::StringBase;

namespace {

[[noreturn]] void refuse(const std::string& text) { ORVEX_THROW(Tavrin::CommandErrorException, text.c_str()); }

/// One Tcl word whatever the text holds: every character Tcl treats specially is escaped.
std::string tclWord(const std::string& text) {
    if (text.empty()) return "{}";
    std::string out;
    for (char c : text) {
        if (c == '\n') {
            out += "\\n";
            continue;
        }
        if (std::strchr(" \t{}[]$\\\";", c)) out += '\\';
        out += c;
    }
    return out;
}

std::string absolutePath(const std::string& file) {
    std::error_code ignored;
    return std::filesystem::absolute(file, ignored).lexically_normal().string();
}

// "/tb/dut/q" -> "tb.dut.q": the facility names GTKWave builds from the VCD scopes.
std::string dottedName(const std::string& path) {
    std::string out = path;
    if (!out.empty() && out[0] == '/') out.erase(0, 1);
    for (char& c : out)
        if (c == '/') c = '.';
    return out;
}

std::string baseName(const std::string& facility) {
    if (facility.empty() || facility.back() != ']') return facility;
    const std::size_t open = facility.rfind('[');
    return open == std::string::npos ? facility : facility.substr(0, open);
}

const char* radixMenu(const std::string& waveRadix) {
    if (waveRadix == "BINARYRADIX") return "Binary";
    if (waveRadix == "HEXRADIX") return "Hex";
    if (waveRadix == "UNSIGNEDDECRADIX") return "Decimal";
    if (waveRadix == "SIGNEDDECRADIX") return "Signed_Decimal";
    if (waveRadix == "OCTALRADIX") return "Octal";
    if (waveRadix == "ASCIIRADIX") return "ASCII";
    return nullptr; // noradix / default: GTKWave's own choice
}

std::int64_t femtosecondsOf(const std::string& dimension) {
    switch (dimension.empty() ? 's' : dimension[0]) {
    case 'f': return 1;
    case 'p': return 1000;
    case 'n': return 1000000;
    case 'u': return 1000000000;
    case 'm': return 1000000000000;
    default: return 1000000000000000;
    }
}

const char* closedText =
    "The waveform window has been closed; window commands need it (start orvex -gui again for a new one).";

} // namespace

std::string GtkWaveGui::whatIsMissing(const std::string& viewer) {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) return "no X display (DISPLAY is not set)";
    if (viewer.find('/') != std::string::npos)
        return ::access(viewer.c_str(), X_OK) == 0 ? std::string() : "GTKWave is not installed (no " + viewer + ")";
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path ? path : "");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        if (dir.empty()) dir = ".";
        if (::access((dir + "/" + viewer).c_str(), X_OK) == 0) return std::string();
    }
    return "GTKWave is not installed (no " + viewer + " on PATH)";
}

GtkWaveGui::GtkWaveGui(GuiSettings settings, Tavrin::ISimulationControl* engine)
    : settings_(std::move(settings)), engine_(engine) {
    tabs_.emplace_back();
    if (engine_) engine_->addEventHandler(this);
}

GtkWaveGui::~GtkWaveGui() { close(); }

std::string GtkWaveGui::start(Tavrin::IReader* reader) {
    reader_ = reader;
    if (auto* data = dynamic_cast<Tavrin::DataReader*>(reader_))
        settings_.database = data->getDatabaseFile().str();
    if (!settings_.logAll || !reader_ || !reader_->getDesignRoot()) return std::string();
    std::vector<const Tavrin::IObject*> tops;
    Tavrin::IBlock* root = reader_->getDesignRoot();
    for (int i = 0; i < root->getChildCount(); ++i) tops.push_back(root->getChild(i));
    logObjects(tops, true);
    return openWindow();
}

std::string GtkWaveGui::openWindow() {
    std::lock_guard<std::mutex> guard(startLock_);
    if (windowOpened_) return std::string();
    const std::string failure =
        viewer_.start({settings_.viewer, "-W", "--rcvar", "splash_disable on", settings_.database});
    if (!failure.empty()) return "cannot start " + settings_.viewer + ": " + failure;
    try {
        femtosPerUnit_ = femtosecondsOf(viewer_.call("gtkwave::getTimeDimension").text);
    } catch (const std::runtime_error&) {
        viewer_.terminate();
        return "GTKWave could not open the waveform database " + settings_.database;
    }
    viewer_.post("gtkwave::/Time/Zoom/Zoom_Full");
    windowOpened_ = true;
    facilitiesStale_ = true;
    return std::string();
}

void GtkWaveGui::close() { viewer_.terminate(); }

void GtkWaveGui::requireWindow() {
    if (!windowOpened_ && !loggingStarted_)
        refuse("The waveform window opens at the first wave add (with -wavelog none nothing is recorded before)");
    if (!windowOpened_) {
        const std::string failure = openWindow();
        if (!failure.empty()) refuse(failure);
    }
    if (!viewer_.isRunning()) refuse(closedText);
}

std::string GtkWaveGui::call(const std::string& command) {
    requireWindow();
    ViewerProcess::Reply reply;
    try {
        reply = viewer_.call(command);
    } catch (const std::runtime_error&) {
        refuse(closedText);
    }
    if (!reply.ok) refuse("GTKWave: " + reply.text);
    return reply.text;
}

void GtkWaveGui::handleEvent(const Tavrin::EngineEvent& event) {
    if (event.kind != Tavrin::NamedSimulationEvent && event.kind != Tavrin::EngineTerminatedEvent) return;
    facilitiesStale_ = true;
    if (!windowOpened_) return;
    try {
        // Not waited for: a large database reloads while the prompt is back.
        viewer_.post("gtkwave::reLoadFile; gtkwave::/Time/Zoom/Zoom_Full");
    } catch (const std::runtime_error&) {
        // The window was closed by hand; window commands say so when they are used.
    }
}

void GtkWaveGui::refreshFacilities() {
    if (!facilitiesStale_) return;
    const std::string text = call(
        "set orvex_f {}; set orvex_n [gtkwave::getNumFacs]; "
        "for {set orvex_i 0} {$orvex_i < $orvex_n} {incr orvex_i} {lappend orvex_f [gtkwave::getFacName $orvex_i]}; "
        "join $orvex_f \\n");
    facilities_.clear();
    byBase_.clear();
    std::stringstream lines(text);
    std::string name;
    while (std::getline(lines, name)) {
        if (name.empty()) continue;
        facilities_.push_back(name);
        byBase_.emplace(baseName(name), name);
        byBase_.emplace(name, name);
    }
    facilitiesStale_ = false;
}

std::vector<std::string> GtkWaveGui::facilitiesOf(const Tavrin::IObject& object, bool recursive) const {
    const std::string dotted = dottedName(object.getPath().str());
    std::vector<std::string> found;
    if (object.getObjectKind() == Tavrin::BlockObjectKind) {
        const std::string prefix = dotted + ".";
        for (const std::string& name : facilities_) {
            if (name.compare(0, prefix.size(), prefix) != 0) continue;
            if (recursive || baseName(name).find('.', prefix.size()) == std::string::npos) found.push_back(name);
        }
        return found;
    }
    auto hit = byBase_.find(dotted);
    if (hit != byBase_.end()) found.push_back(hit->second);
    return found;
}

void GtkWaveGui::logObjects(const std::vector<const Tavrin::IObject*>& objects, bool recursive) {
    if (!engine_) return;
    // An object the engine cannot record (larger than the traceable size), or no engine any
    // more: what is recorded is shown.
    try {
        if (!loggingStarted_) engine_->ntraceStart();
        loggingStarted_ = true;
    } catch (const Orvex::Exception&) {
        return;
    }
    for (const Tavrin::IObject* object : objects) {
        try {
            if (auto* block = dynamic_cast<const Tavrin::IBlock*>(object))
                engine_->ntraceSelectBlock(block, recursive, true);
            else if (auto* data = dynamic_cast<const Tavrin::IDataObj*>(object))
                engine_->ntraceSelectObject(data, true);
        } catch (const Orvex::Exception&) {
        }
    }
}

void GtkWaveGui::highlight(const std::vector<int>& rows) {
    std::string command = "gtkwave::/Edit/UnHighlight_All";
    for (int row : rows) command += "; gtkwave::setTraceHighlightFromIndex " + std::to_string(row) + " on";
    call(command);
}

void GtkWaveGui::positionAfter(int row) { highlight(row >= 0 ? std::vector<int>{row} : std::vector<int>{}); }

void GtkWaveGui::addWaveObjects(std::vector<int>& ids, const std::vector<const Tavrin::IObject*>& objects, int intoId,
                                const StringBase&, bool recursive) {
    WaveItem* parent = nullptr;
    if (intoId != -1) {
        parent = tab().model.find(intoId);
        if (!parent || parent->kind == WaveItem::Trace || parent->kind == WaveItem::Divider)
            refuse("No group or virtual bus with id " + std::to_string(intoId) + " in this wave configuration");
    }
    // Objects not yet in the database are recorded from now on; the window then reloads.
    std::vector<const Tavrin::IObject*> missing;
    if (windowOpened_) refreshFacilities();
    for (const Tavrin::IObject* object : objects)
        if (!windowOpened_ || facilitiesOf(*object, recursive).empty()) missing.push_back(object);
    if (!missing.empty()) {
        logObjects(missing, recursive);
        if (windowOpened_) call("gtkwave::reLoadFile");
        facilitiesStale_ = true;
    }
    requireWindow();
    refreshFacilities();
    std::vector<std::string> names;
    for (const Tavrin::IObject* object : objects)
        for (std::string& name : facilitiesOf(*object, recursive)) names.push_back(std::move(name));
    if (names.empty()) refuse("Nothing of these objects is in the waveform database (too large or not recordable)");

    // GTKWave cannot add to a combined bus: it is deleted and combined again with the new members.
    std::vector<std::string> members;
    if (parent && parent->kind == WaveItem::Vbus && parent->created) {
        for (int child : parent->children) members.push_back(tab().model.find(child)->name);
        highlight({tab().model.rowOf(intoId)});
        call("gtkwave::/Edit/Delete");
        parent->created = false;
        parent->pending.insert(parent->pending.begin(), parent->applied.begin(), parent->applied.end());
        parent->applied.clear();
    }
    positionAfter(tab().model.insertAfter(intoId));
    std::string list = "gtkwave::addSignalsFromList [list";
    for (const std::string& name : members) list += " " + tclWord(name);
    for (const std::string& name : names) list += " " + tclWord(name);
    call(list + "]");
    for (const std::string& name : names) ids.push_back(tab().model.add(WaveItem::Trace, name, intoId));
    if (parent && !parent->created) createContainer(intoId); // the new traces are highlighted
}

void GtkWaveGui::createContainer(int id) {
    WaveItem* item = tab().model.find(id);
    if (item->kind == WaveItem::Divider) {
        positionAfter(tab().model.insertAfter(item->parent));
        call("gtkwave::/Edit/Insert_Comment " + tclWord(item->name.empty() ? "-" : item->name));
        item->created = true;
        WaveItem* up = tab().model.find(item->parent);
        if (up && !up->created) {
            highlight({tab().model.rowOf(id)});
            createContainer(item->parent);
        }
    } else {
        const char* menu = item->kind == WaveItem::Group ? "gtkwave::/Edit/Create_Group " : "gtkwave::/Edit/Combine_Down ";
        call(menu + tclWord(item->name.empty() ? std::to_string(id) : item->name));
        item->created = true;
    }
    auto pending = std::move(item->pending);
    for (const auto& property : pending) applyProperty(id, property.first, property.second);
}

int GtkWaveGui::addWaveContainer(const StringBase& kind, int intoId, const StringBase&) {
    requireWindow();
    WaveItem::Kind k;
    if (kind.str() == "group") k = WaveItem::Group;
    else if (kind.str() == "divider") k = WaveItem::Divider;
    else if (kind.str() == "vbus") k = WaveItem::Vbus;
    else return 0;
    if (intoId != -1) {
        WaveItem* parent = tab().model.find(intoId);
        if (!parent || parent->kind == WaveItem::Trace || parent->kind == WaveItem::Divider)
            refuse("No group or virtual bus with id " + std::to_string(intoId) + " in this wave configuration");
        if (parent->kind == WaveItem::Vbus) refuse("A virtual bus holds signals only");
    }
    return tab().model.add(k, std::string(), intoId);
}

void GtkWaveGui::applyProperty(int id, const std::string& key, const std::string& value) {
    WaveItem* item = tab().model.find(id);
    if (!item) return;
    if (item->kind != WaveItem::Trace && key == "label") {
        if (!item->created) {
            item->name = value;
            if (item->kind == WaveItem::Divider) createContainer(id);
        }
        return;
    }
    if (!item->created) {
        item->pending.emplace_back(key, value);
        return;
    }
    std::string menu;
    if (key == "label") {
        menu = "gtkwave::/Edit/Alias_Highlighted_Trace " + tclWord(value);
    } else if (key == "CustomSignalColor" || key == "BKCOLOR") {
        menu = std::string("gtkwave::/Edit/Color_Format/") + nearestTraceColor(value);
    } else if (key == "Radix") {
        const char* format = radixMenu(value);
        if (!format) return;
        menu = std::string("gtkwave::/Edit/Data_Format/") + format;
    } else if (key == "Reversed") {
        menu = "gtkwave::/Edit/Data_Format/Reverse_Bits/On";
    } else {
        return; // DisplayName and USECUSTOMSIGNALCOLOR: the label and the colour say it all
    }
    highlight({tab().model.rowOf(id)});
    call(menu);
    if (item->kind != WaveItem::Trace) item->applied.emplace_back(key, value);
}

void GtkWaveGui::setWaveObjectProperty(const StringBase&, const std::vector<int>& ids, const StringBase& key,
                                       const StringBase& value) {
    requireWindow();
    for (int id : ids) applyProperty(id, key.str(), value.str());
}

void GtkWaveGui::selectWaveObjects(const StringBase&, const std::vector<int>& ids) {
    std::vector<int> rows;
    for (int id : ids) {
        const WaveItem* item = tab().model.find(id);
        if (item && item->created) rows.push_back(tab().model.rowOf(id));
    }
    highlight(rows);
}

void GtkWaveGui::updateWcfg(const StringBase&) {}

void GtkWaveGui::addMarker(std::int64_t time, const StringBase& text) {
    requireWindow();
    if (markersUsed_ >= 26) refuse("All 26 named markers of the waveform window are in use");
    const char letter = static_cast<char>('A' + markersUsed_);
    std::string command = std::string("gtkwave::setNamedMarker ") + letter + " " + std::to_string(time / femtosPerUnit_);
    if (!text.str().empty()) command += " " + tclWord(text.str());
    call(command);
    ++markersUsed_;
}

int GtkWaveGui::tabNamed(const std::string& name) const {
    for (std::size_t i = 0; i < tabs_.size(); ++i)
        if (!tabs_[i].name.empty() && (tabs_[i].name == name || absolutePath(tabs_[i].name) == absolutePath(name)))
            return static_cast<int>(i);
    return -1;
}

void GtkWaveGui::newWcfg() {
    call("gtkwave::/File/Open_New_Tab " + tclWord(absolutePath(settings_.database)));
    tabs_.emplace_back();
    active_ = tabs_.size() - 1;
}

void GtkWaveGui::useWcfg(const StringBase& wcfgName) {
    if (wcfgName.str().empty()) return;
    const int found = tabNamed(wcfgName.str());
    if (found < 0) {
        newWcfg();
        tab().name = wcfgName.str();
        return;
    }
    if (static_cast<std::size_t>(found) != active_) {
        call("gtkwave::setTabActive " + std::to_string(found));
        active_ = static_cast<std::size_t>(found);
    }
}

void GtkWaveGui::selectWcfg(const StringBase& fileName) {
    const int found = tabNamed(fileName.str());
    if (found < 0) refuse("No open wave configuration is named " + fileName.str());
    call("gtkwave::setTabActive " + std::to_string(found));
    active_ = static_cast<std::size_t>(found);
}

void GtkWaveGui::openWcfg(const StringBase& fileName) {
    const std::string file = fileName.str();
    if (::access(file.c_str(), R_OK) != 0)
        refuse("Cannot open the wave configuration " + file + ": " + std::strerror(errno));
    call("gtkwave::/File/Read_Save_File " + tclWord(absolutePath(file)));
    const int rows = std::atoi(call("gtkwave::getTotalNumTraces").c_str());
    tab().model.reset(rows);
    tab().name = file;
}

void GtkWaveGui::saveWcfg(const StringBase& fileName) {
    const std::string file = absolutePath(fileName.str());
    std::error_code ignored;
    const auto before = std::filesystem::exists(file, ignored) ? std::filesystem::last_write_time(file, ignored)
                                                                : std::filesystem::file_time_type::min();
    // Write_Save_File keeps the first name it was given; the "As" form always takes ours.
    call("gtkwave::/File/Write_Save_File_As " + tclWord(file));
    if (!std::filesystem::exists(file, ignored) ||
        (before != std::filesystem::file_time_type::min() && std::filesystem::last_write_time(file, ignored) < before))
        refuse("Cannot write the wave configuration " + fileName.str());
    tab().name = fileName.str();
}

bool GtkWaveGui::quit(bool, bool exitGui) {
    if (exitGui) close();
    return true;
}

void GtkWaveGui::exitSimulation() {}

void GtkWaveGui::shellReady() {}

} // namespace OrvexGui
