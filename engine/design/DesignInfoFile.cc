// Reading the design data file: tab-separated records with \t, \n and \\ escapes.
#include "DesignInfoFile.h"

#include <cerrno>
#include <cstdlib>

#include "HdlPath.h"

namespace OrvexEngine {

namespace {

std::vector<std::string> fields(const std::string& line) {
    std::vector<std::string> out(1);
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '\t') {
            out.emplace_back();
        } else if (c == '\\' && i + 1 < line.size()) {
            const char e = line[++i];
            out.back() += e == 't' ? '\t' : e == 'n' ? '\n' : e;
        } else {
            out.back() += c;
        }
    }
    return out;
}

bool number(const std::string& text, int& value) {
    char* end = nullptr;
    errno = 0;
    const long n = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno || n < 0 || n > 0x7fffffff) return false;
    value = static_cast<int>(n);
    return true;
}

const std::vector<Connection>& find(const std::unordered_map<std::string, std::vector<Connection>>& table,
                                    const std::string& path) {
    static const std::vector<Connection> none;
    auto found = table.find(path);
    if (found == table.end()) found = table.find(netOf(path));
    return found == table.end() ? none : found->second;
}

} // namespace

bool DesignData::read(std::istream& in, std::string& error) {
    std::string line;
    int number_ = 0;
    while (std::getline(in, line)) {
        ++number_;
        if (line.empty()) continue;
        const std::vector<std::string> f = fields(line);
        const std::string where = "line " + std::to_string(number_) + ": ";
        if (number_ == 1) {
            if (f.size() != 2 || f[0] != "orvexdb" || f[1] != "1") {
                error = where + "not an orvexdb version 1 file";
                return false;
            }
            continue;
        }
        const std::string& kind = f[0];
        if (kind == "scope" && f.size() == 7) {
            Place def, inst;
            if (!number(f[4], def.line) || !number(f[6], inst.line)) {
                error = where + "bad line number";
                return false;
            }
            def.file = f[3];
            inst.file = f[5];
            declarations_[f[1]] = def;
            if (f[2] == "module" && (inst.file != def.file || inst.line != def.line)) instantiations_[f[1]] = inst;
        } else if (kind == "object" && f.size() == 5) {
            Place place;
            if (!number(f[4], place.line)) {
                error = where + "bad line number";
                return false;
            }
            place.file = f[3];
            declarations_[f[1]] = place;
        } else if ((kind == "driver" || kind == "load") && f.size() == 8) {
            Connection c;
            c.path = f[2];
            c.text = f[4];
            c.file = f[6];
            if (!number(f[3], c.kind) || !number(f[5], c.index) || !number(f[7], c.line)) {
                error = where + "bad number";
                return false;
            }
            (kind == "driver" ? drivers_ : loads_)[f[1]].push_back(std::move(c));
        } else {
            error = where + "unknown record '" + kind + "' with " + std::to_string(f.size()) + " fields";
            return false;
        }
    }
    if (number_ == 0) {
        error = "empty file";
        return false;
    }
    return true;
}

void DesignData::clear() {
    declarations_.clear();
    instantiations_.clear();
    drivers_.clear();
    loads_.clear();
}

bool DesignData::declaration(const std::string& path, std::string& file, int& line) const {
    // A generate scope ("/tb/g[1]") is named so whole; a select of an object is not.
    auto found = declarations_.find(path);
    if (found == declarations_.end()) found = declarations_.find(netOf(path));
    if (found == declarations_.end()) return false;
    file = found->second.file;
    line = found->second.line;
    return true;
}

bool DesignData::instantiation(const std::string& path, std::string& file, int& line) const {
    auto found = instantiations_.find(path);
    if (found == instantiations_.end()) return false;
    file = found->second.file;
    line = found->second.line;
    return true;
}

const std::vector<Connection>& DesignData::drivers(const std::string& path) const { return find(drivers_, path); }
const std::vector<Connection>& DesignData::loads(const std::string& path) const { return find(loads_, path); }

std::string netOf(const std::string& path) {
    try {
        Orvex::HdlPath::Path parsed = Orvex::HdlPath::parse(path);
        if (parsed.segments.empty() || parsed.segments.back().selects.empty()) return path;
        parsed.segments.back().selects.clear();
        return Orvex::HdlPath::format(parsed);
    } catch (const Orvex::HdlPath::PathError&) {
        return path;
    }
}

} // namespace OrvexEngine
