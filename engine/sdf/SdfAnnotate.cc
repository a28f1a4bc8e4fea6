// sdf-annotate: reads an SDF file and puts its IOPATH delays on the specify paths of the matching
// module instances with vpi_put_delays.
#include <fstream>
#include <sstream>

#include <vpi_user.h>

#include "EngineCommands.h"
#include "OutputHooks.h"
#include "OutputVpi.h"
#include "SdfDelays.h"
#include "SdfParser.h"

namespace OrvexEngine {

namespace {

using Orvex::Mi::Value;
using Args = std::vector<std::string>;

constexpr std::size_t MaxMessages = 20;

struct Report {
    std::vector<std::string> errors;
    std::vector<std::string> warnings;
};

std::string terminalName(vpiHandle path, PLI_INT32 which) {
    vpiHandle term = vpi_handle(which, path);
    if (!term) return std::string();
    vpiHandle expr = vpi_handle(vpiExpr, term);
    const char* name = vpi_get_str(vpiName, expr ? expr : term);
    return name ? name : std::string();
}

// The port name without a bit index: specify paths connect whole ports in this engine.
std::string baseName(const std::string& port) {
    const std::size_t open = port.find('[');
    return open == std::string::npos ? port : port.substr(0, open);
}

vpiHandle childNamed(vpiHandle scope, const std::string& name) {
    for (vpiHandle child : childScopes(scope)) {
        const char* n = vpi_get_str(vpiName, child);
        if (n && name == n) return child;
    }
    return nullptr;
}

vpiHandle findInstance(vpiHandle root, const std::vector<std::string>& path) {
    vpiHandle at = root;
    for (const std::string& name : path) {
        at = childNamed(at, name);
        if (!at) return nullptr;
    }
    return at;
}

void instancesOfType(vpiHandle scope, const std::string& type, std::vector<vpiHandle>& out) {
    for (vpiHandle child : childScopes(scope)) {
        if (vpi_get(vpiType, child) != vpiModule) continue;
        const char* def = vpi_get_str(vpiDefName, child);
        if (def && type == def) out.push_back(child);
        instancesOfType(child, type, out);
    }
}

std::string cellText(const SdfCell& cell) {
    std::string path;
    for (const auto& part : cell.instance) path += (path.empty() ? "" : "/") + part;
    return "CELL " + cell.type + (cell.wildcard ? " INSTANCE *" : " INSTANCE " + path);
}

void annotatePath(vpiHandle module, const SdfIoPath& io, int kind, double unit, int precision, Report& report) {
    std::vector<GivenDelay> given;
    for (const SdfTriple& t : io.delays) {
        GivenDelay g;
        double v = 0;
        if (pickDelay(t, kind, v)) {
            g.present = true;
            g.ticks = delayTicks(v, unit, precision);
        }
        given.push_back(g);
    }
    const std::string where = "line " + std::to_string(io.line) + ": ";
    if (!io.edge.empty())
        report.warnings.push_back(where + "the " + io.edge + " edge of IOPATH " + io.input + " " + io.output +
                                  " is not kept apart; the delays apply to the whole path");
    int matched = 0;
    vpiHandle it = vpi_iterate(vpiModPath, module);
    while (vpiHandle path = it ? vpi_scan(it) : nullptr) {
        if (terminalName(path, vpiModPathIn) != baseName(io.input) ||
            terminalName(path, vpiModPathOut) != baseName(io.output))
            continue;
        s_vpi_time times[12];
        s_vpi_delay delay = {};
        delay.da = times;
        delay.no_of_delays = 12;
        delay.time_type = vpiSimTime;
        vpi_get_delays(path, &delay);
        std::int64_t ticks[12];
        for (int i = 0; i < 12; ++i)
            ticks[i] = static_cast<std::int64_t>((static_cast<std::uint64_t>(times[i].high) << 32) | times[i].low);
        applyDelays(given, io.increment, ticks);
        for (int i = 0; i < 12; ++i) {
            times[i].type = vpiSimTime;
            times[i].high = static_cast<PLI_UINT32>(static_cast<std::uint64_t>(ticks[i]) >> 32);
            times[i].low = static_cast<PLI_UINT32>(ticks[i]);
        }
        delay.no_of_delays = 12;
        delay.time_type = vpiSimTime;
        vpi_put_delays(path, &delay);
        ++matched;
    }
    if (matched == 0)
        report.errors.push_back(where + "no specify path from " + io.input + " to " + io.output + " in " + pathOf(module));
}

void annotate(const SdfFile& file, vpiHandle root, int kind, Report& report) {
    const int precision = designPrecision();
    for (const SdfCell& cell : file.cells) {
        std::vector<vpiHandle> targets;
        if (cell.wildcard) {
            instancesOfType(root, cell.type, targets);
        } else if (root) {
            if (vpiHandle m = findInstance(root, cell.instance)) targets.push_back(m);
        } else if (!cell.instance.empty()) {
            // No root: the path starts with a top module.
            if (vpiHandle top = childNamed(nullptr, cell.instance.front()))
                if (vpiHandle m = findInstance(top, std::vector<std::string>(cell.instance.begin() + 1, cell.instance.end())))
                    targets.push_back(m);
        }
        const std::string where = "line " + std::to_string(cell.line) + ": ";
        if (targets.empty()) {
            report.errors.push_back(where + cellText(cell) + ": no such instance" +
                                    (root ? " below " + pathOf(root) : std::string()));
            continue;
        }
        for (vpiHandle module : targets) {
            const char* def = vpi_get_str(vpiDefName, module);
            if (!cell.wildcard && def && cell.type != def)
                report.warnings.push_back(where + pathOf(module) + " is a " + def + ", not a " + cell.type);
            for (const SdfIoPath& io : cell.paths)
                annotatePath(module, io, kind, file.timescale, precision, report);
        }
    }
}

void tell(const std::vector<std::string>& messages, const std::string& prefix) {
    for (std::size_t i = 0; i < messages.size() && i < MaxMessages; ++i) engineMessage(prefix + messages[i]);
    if (messages.size() > MaxMessages)
        engineMessage(prefix + std::to_string(messages.size() - MaxMessages) + " more not shown");
}

Registrar annotateRequest(Orvex::Protocol::Request::SdfAnnotate, [](const Args& args) {
    expectArgs(args, 5, "sdf-annotate");
    const std::string& kindText = args[0];
    if (kindText != "0" && kindText != "1" && kindText != "2")
        throw EngineError("sdf-annotate: delay kind must be 0 (min), 1 (typ) or 2 (max), got " + kindText);
    const int kind = kindText[0] - '0';
    const std::string& fileName = args[1];
    const bool noerror = parseFlag(args[3], "sdf-annotate noerror");
    const bool nowarn = parseFlag(args[4], "sdf-annotate nowarn");
    vpiHandle root = nullptr;
    if (!args[2].empty()) root = scopeOfPath(args[2], "sdf-annotate");

    const std::string prefix = "sdf-annotate: " + fileName + ": ";
    Report report;
    SdfFile file;
    std::ifstream in(fileName, std::ios::binary);
    if (!in) {
        report.errors.push_back("cannot open the SDF file");
    } else {
        std::ostringstream text;
        text << in.rdbuf();
        try {
            file = parseSdf(text.str());
        } catch (const SdfError& e) {
            report.errors.push_back(e.what());
        }
    }
    if (report.errors.empty()) {
        if (!root) {
            // Without a root, a design with one top annotates from that top.
            std::vector<vpiHandle> tops = childScopes(nullptr);
            bool pathsFromTop = false;
            for (const SdfCell& cell : file.cells)
                if (!cell.instance.empty() && tops.size() == 1) {
                    const char* n = vpi_get_str(vpiName, tops[0]);
                    pathsFromTop = n && cell.instance.front() == n;
                }
            if (tops.size() == 1 && !pathsFromTop) root = tops[0];
        }
        annotate(file, root, kind, report);
        report.warnings.insert(report.warnings.begin(), file.warnings.begin(), file.warnings.end());
    }
    if (!nowarn) tell(report.warnings, prefix + "warning: ");
    if (report.errors.empty()) return Value::tuple();
    if (noerror) {
        tell(report.errors, prefix);
        return Value::tuple();
    }
    std::string message = prefix + report.errors.front();
    if (report.errors.size() > 1) {
        tell(std::vector<std::string>(report.errors.begin() + 1, report.errors.end()), prefix);
        message += " (and " + std::to_string(report.errors.size() - 1) + " more errors)";
    }
    throw EngineError(message);
});

} // namespace

} // namespace OrvexEngine
