// The design data file written by the orvexdb back end (docs/design-data-file.md), read into
// tables by path. Free of VPI.
#pragma once

#include <istream>
#include <string>
#include <unordered_map>
#include <vector>

#include "DesignInfo.h"

namespace OrvexEngine {

class DesignData {
public:
    /// Reads the whole file; on a malformed line, false with `error` naming the line. What was
    /// read before stays known.
    bool read(std::istream& in, std::string& error);
    void clear();

    bool declaration(const std::string& path, std::string& file, int& line) const;
    bool instantiation(const std::string& path, std::string& file, int& line) const;
    /// True when the path names a known signal or scope.
    bool knows(const std::string& path) const { return declarations_.count(path) != 0; }
    const std::vector<Connection>& drivers(const std::string& path) const;
    const std::vector<Connection>& loads(const std::string& path) const;

private:
    struct Place {
        std::string file;
        int line = 0;
    };
    std::unordered_map<std::string, Place> declarations_;
    std::unordered_map<std::string, Place> instantiations_;
    std::unordered_map<std::string, std::vector<Connection>> drivers_;
    std::unordered_map<std::string, std::vector<Connection>> loads_;
};

/// The net path of an object path: "/tb/bus[3]", "/tb/bus(7:0)" and "/tb/mem[2][3]" give the object
/// without its selects.
std::string netOf(const std::string& path);

} // namespace OrvexEngine
