// The records of the design data file written by the orvexdb code-generator back end, and the
// hierarchical paths of the compiler's scopes and signals (see docs/design-data-file.md).
#pragma once

#include <cstdio>
#include <string>

#include <ivl_target.h>

namespace OrvexDb {

/// "/tb/dut" for a scope, "/tb/dut/q" for a signal.
std::string scopePath(ivl_scope_t scope);
std::string signalPath(ivl_signal_t signal);
/// The connection kind of a signal: 0 scalar, 1 vector, 2 array.
int signalKind(ivl_signal_t signal);
/// A non-temporary signal of the nexus in that scope, or null.
ivl_signal_t namedSignalIn(ivl_nexus_t nexus, ivl_scope_t scope);

/// Writes one record: the fields separated by tabs, with tab, newline and backslash escaped.
class RecordWriter {
public:
    explicit RecordWriter(FILE* out) : out_(out) {}
    void scope(ivl_scope_t scope);
    void object(ivl_signal_t signal);
    /// kind "driver" or "load".
    void connection(const char* kind, const std::string& net, const std::string& other, int otherKind,
                    const std::string& text, unsigned index, const char* file, unsigned line);

private:
    void field(const std::string& text, bool last = false);
    FILE* out_;
};

/// Records the drivers and loads that processes, tasks and functions make by assigning and
/// reading signals.
void writeProcessConnections(ivl_design_t design, RecordWriter& writer);

} // namespace OrvexDb
