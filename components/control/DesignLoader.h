// Turning the engine's description of the design (the result of its `design` request) into the
// hierarchy of a DataReader. Kept in the engine-control library so that the data library needs
// nothing of the protocol: the reader only offers plain building operations.
#pragma once

#include "Mi.h"
#include "orvex/DataReader.h"

namespace Tavrin {

/// Replaces the reader's hierarchy with the scopes of the `tops` list of a `design` result.
/// A scope or object whose name the reader refuses (empty, or taken in its block) is left out,
/// a scope with all it contains. Returns how many were left out.
int loadDesign(const Orvex::Mi::Value& designResult, DataReader& reader);

/// The block kind for a scope kind word (module, task, function, begin, fork, generate,
/// initial, always, final); UnknownBlock for any other word.
int blockKindOf(const std::string& scopeKind);

/// The object class of an object: its port direction when it has one (in, out, inout), else
/// the class of its kind word (net, reg, integer, real, realtime, time, memory, parameter,
/// localparam, event).
int objectClassOf(const std::string& objectKind, const std::string& direction);

/// The type class of an object kind word: real and realtime are real, integer is integer, all
/// else (nets, regs, time, memories, parameters, events) is logic.
int typeClassOf(const std::string& objectKind);

/// The object kind: an unpacked array (a memory, or a size above 0), a vector (width above 1),
/// or a scalar.
int objectKindOf(const std::string& objectKind, long long width, long long size);

} // namespace Tavrin
