// The orvexdb back end: `iverilog -t orvexdb -o design.odb ...` writes, for every scope and
// signal, where it is declared, and for every net its drivers and loads through gates, devices,
// constants and port connections; processes are added by DbProcesses.cc.
#include <cerrno>
#include <cstring>
#include <string>

#include "DbRecords.h"

namespace OrvexDb {

std::string scopePath(ivl_scope_t scope) {
    std::string path;
    for (; scope; scope = ivl_scope_parent(scope)) path = "/" + std::string(ivl_scope_basename(scope)) + path;
    return path;
}

std::string signalPath(ivl_signal_t signal) {
    return scopePath(ivl_signal_scope(signal)) + "/" + ivl_signal_basename(signal);
}

int signalKind(ivl_signal_t signal) {
    if (ivl_signal_dimensions(signal) > 0) return 2;
    return ivl_signal_width(signal) > 1 ? 1 : 0;
}

ivl_signal_t namedSignalIn(ivl_nexus_t nexus, ivl_scope_t scope) {
    if (!nexus) return nullptr;
    for (unsigned i = 0; i < ivl_nexus_ptrs(nexus); ++i) {
        ivl_signal_t sig = ivl_nexus_ptr_sig(ivl_nexus_ptr(nexus, i));
        if (sig && !ivl_signal_local(sig) && ivl_signal_scope(sig) == scope) return sig;
    }
    return nullptr;
}

void RecordWriter::field(const std::string& text, bool last) {
    for (char c : text) {
        if (c == '\t') std::fputs("\\t", out_);
        else if (c == '\n') std::fputs("\\n", out_);
        else if (c == '\\') std::fputs("\\\\", out_);
        else std::fputc(c, out_);
    }
    std::fputc(last ? '\n' : '\t', out_);
}

static std::string text(const char* s) { return s ? s : ""; }

static const char* scopeKind(ivl_scope_t scope) {
    switch (ivl_scope_type(scope)) {
    case IVL_SCT_FUNCTION: return "function";
    case IVL_SCT_TASK: return "task";
    case IVL_SCT_BEGIN: return "begin";
    case IVL_SCT_FORK: return "fork";
    case IVL_SCT_GENERATE: return "generate";
    default: return "module";
    }
}

void RecordWriter::scope(ivl_scope_t scope) {
    field("scope");
    field(scopePath(scope));
    field(scopeKind(scope));
    field(text(ivl_scope_def_file(scope)));
    field(std::to_string(ivl_scope_def_lineno(scope)));
    field(text(ivl_scope_file(scope)));
    field(std::to_string(ivl_scope_lineno(scope)), true);
}

void RecordWriter::object(ivl_signal_t signal) {
    field("object");
    field(signalPath(signal));
    field(std::to_string(signalKind(signal)));
    field(text(ivl_signal_file(signal)));
    field(std::to_string(ivl_signal_lineno(signal)), true);
}

void RecordWriter::connection(const char* kind, const std::string& net, const std::string& other, int otherKind,
                              const std::string& what, unsigned index, const char* file, unsigned line) {
    field(kind);
    field(net);
    field(other);
    field(std::to_string(otherKind));
    field(what);
    field(std::to_string(index));
    field(text(file));
    field(std::to_string(line), true);
}

namespace {

const char* gateName(ivl_logic_t type) {
    switch (type) {
    case IVL_LO_AND: return "and";
    case IVL_LO_BUF: return "buf";
    case IVL_LO_BUFIF0: return "bufif0";
    case IVL_LO_BUFIF1: return "bufif1";
    case IVL_LO_BUFT: case IVL_LO_BUFZ: return "buf";
    case IVL_LO_CMOS: return "cmos";
    case IVL_LO_EQUIV: return "equiv";
    case IVL_LO_IMPL: return "impl";
    case IVL_LO_NAND: return "nand";
    case IVL_LO_NMOS: return "nmos";
    case IVL_LO_NOR: return "nor";
    case IVL_LO_NOT: return "not";
    case IVL_LO_NOTIF0: return "notif0";
    case IVL_LO_NOTIF1: return "notif1";
    case IVL_LO_OR: return "or";
    case IVL_LO_PULLDOWN: return "pulldown";
    case IVL_LO_PULLUP: return "pullup";
    case IVL_LO_RCMOS: return "rcmos";
    case IVL_LO_RNMOS: return "rnmos";
    case IVL_LO_RPMOS: return "rpmos";
    case IVL_LO_PMOS: return "pmos";
    case IVL_LO_UDP: return "primitive";
    case IVL_LO_XNOR: return "xnor";
    case IVL_LO_XOR: return "xor";
    default: return "gate";
    }
}

// A gate's name without the compiler's "<i.j>" instance-array suffix.
std::string gateBase(const char* name) {
    std::string base = name ? name : "";
    const std::size_t angle = base.find('<');
    return angle == std::string::npos ? base : base.substr(0, angle);
}

// Gates the compiler made for an expression or a continuous assignment carry made-up names.
bool synthetic(const char* name) { return !name || std::strncmp(name, "_ivl_", 5) == 0 || name[0] == '\0'; }

// Where a device's output goes: a signal of the scope, else a port of an instance inside it,
// else the scope itself.
void loadTarget(ivl_nexus_t output, ivl_scope_t scope, std::string& path, int& kind) {
    ivl_signal_t target = namedSignalIn(output, scope);
    for (unsigned i = 0; !target && output && i < ivl_nexus_ptrs(output); ++i) {
        ivl_signal_t sig = ivl_nexus_ptr_sig(ivl_nexus_ptr(output, i));
        if (sig && !ivl_signal_local(sig) && ivl_scope_parent(ivl_signal_scope(sig)) == scope) target = sig;
    }
    if (target) {
        path = signalPath(target);
        kind = signalKind(target);
    } else {
        path = scopePath(scope);
        kind = 5;
    }
}

bool isPort(ivl_signal_t sig) { return ivl_signal_port(sig) != IVL_SIP_NONE; }
bool drivesOut(ivl_signal_t sig) { return ivl_signal_port(sig) == IVL_SIP_OUTPUT || ivl_signal_port(sig) == IVL_SIP_INOUT; }
bool takesIn(ivl_signal_t sig) { return ivl_signal_port(sig) == IVL_SIP_INPUT || ivl_signal_port(sig) == IVL_SIP_INOUT; }

void writeNexus(RecordWriter& w, ivl_signal_t sig, ivl_nexus_t nexus) {
    const std::string net = signalPath(sig);
    const int netKind = signalKind(sig);
    ivl_scope_t scope = ivl_signal_scope(sig);
    for (unsigned i = 0; i < ivl_nexus_ptrs(nexus); ++i) {
        ivl_nexus_ptr_t ptr = ivl_nexus_ptr(nexus, i);
        const unsigned pin = ivl_nexus_ptr_pin(ptr);
        if (ivl_net_logic_t gate = ivl_nexus_ptr_log(ptr)) {
            if (ivl_logic_scope(gate) != scope) continue;
            const char* name = ivl_logic_basename(gate);
            const char* type = gateName(ivl_logic_type(gate));
            if (pin == 0) {
                if (synthetic(name)) w.connection("driver", net, net, netKind, "assign", 0, ivl_logic_file(gate), ivl_logic_lineno(gate));
                else w.connection("driver", net, scopePath(scope) + "/" + gateBase(name), 5, type, 0, ivl_logic_file(gate), ivl_logic_lineno(gate));
            } else {
                std::string path;
                int kind = 5;
                if (synthetic(name)) loadTarget(ivl_logic_pin(gate, 0), scope, path, kind);
                else path = scopePath(scope) + "/" + gateBase(name);
                w.connection("load", net, path, kind, synthetic(name) ? "assign" : type, pin, ivl_logic_file(gate), ivl_logic_lineno(gate));
            }
        } else if (ivl_lpm_t lpm = ivl_nexus_ptr_lpm(ptr)) {
            if (ivl_lpm_scope(lpm) != scope) continue;
            if (ivl_lpm_q(lpm) == nexus) {
                w.connection("driver", net, net, netKind, "assign", 0, ivl_lpm_file(lpm), ivl_lpm_lineno(lpm));
            } else {
                std::string path;
                int kind = 5;
                loadTarget(ivl_lpm_q(lpm), scope, path, kind);
                w.connection("load", net, path, kind, "assign", pin, ivl_lpm_file(lpm), ivl_lpm_lineno(lpm));
            }
        } else if (ivl_net_const_t con = ivl_nexus_ptr_con(ptr)) {
            if (ivl_const_scope(con) != scope) continue;
            w.connection("driver", net, net, netKind, "constant", 0, ivl_const_file(con), ivl_const_lineno(con));
        } else if (ivl_signal_t other = ivl_nexus_ptr_sig(ptr)) {
            if (other == sig || ivl_signal_local(other)) continue;
            ivl_scope_t otherScope = ivl_signal_scope(other);
            const std::string otherPath = signalPath(other);
            const unsigned index = static_cast<unsigned>(ivl_signal_module_port_index(other) < 0 ? 0 : ivl_signal_module_port_index(other));
            // A port of an instance inside this scope.
            if (ivl_scope_parent(otherScope) == scope && isPort(other)) {
                if (drivesOut(other)) w.connection("driver", net, otherPath, signalKind(other), "port", index, ivl_scope_file(otherScope), ivl_scope_lineno(otherScope));
                if (takesIn(other)) w.connection("load", net, otherPath, signalKind(other), "port", index, ivl_scope_file(otherScope), ivl_scope_lineno(otherScope));
            }
            // This signal is a port; the other is what the instance connects it to.
            if (isPort(sig) && ivl_scope_parent(scope) == otherScope) {
                const unsigned own = static_cast<unsigned>(ivl_signal_module_port_index(sig) < 0 ? 0 : ivl_signal_module_port_index(sig));
                if (takesIn(sig)) w.connection("driver", net, otherPath, signalKind(other), "port", own, ivl_scope_file(scope), ivl_scope_lineno(scope));
                if (drivesOut(sig)) w.connection("load", net, otherPath, signalKind(other), "port", own, ivl_scope_file(scope), ivl_scope_lineno(scope));
            }
        }
    }
}

int writeScope(ivl_scope_t scope, void* data) {
    RecordWriter& w = *static_cast<RecordWriter*>(data);
    w.scope(scope);
    for (unsigned i = 0; i < ivl_scope_sigs(scope); ++i) {
        ivl_signal_t sig = ivl_scope_sig(scope, i);
        if (ivl_signal_local(sig)) continue;
        w.object(sig);
        if (ivl_signal_dimensions(sig) == 0)
            if (ivl_nexus_t nexus = ivl_signal_nex(sig, 0)) writeNexus(w, sig, nexus);
    }
    return ivl_scope_children(scope, writeScope, data);
}

} // namespace

} // namespace OrvexDb

extern "C" int target_design(ivl_design_t design) {
    const char* path = ivl_design_flag(design, "-o");
    if (!path || !*path) {
        std::fprintf(stderr, "orvexdb: no output file (-o)\n");
        return 1;
    }
    FILE* out = std::fopen(path, "w");
    if (!out) {
        std::fprintf(stderr, "orvexdb: cannot open %s: %s\n", path, std::strerror(errno));
        return 1;
    }
    std::fprintf(out, "orvexdb\t1\n");
    OrvexDb::RecordWriter writer(out);
    ivl_scope_t* roots = nullptr;
    unsigned count = 0;
    ivl_design_roots(design, &roots, &count);
    for (unsigned i = 0; i < count; ++i) OrvexDb::writeScope(roots[i], &writer);
    OrvexDb::writeProcessConnections(design, writer);
    const bool ok = std::fclose(out) == 0;
    return ok ? 0 : 1;
}
