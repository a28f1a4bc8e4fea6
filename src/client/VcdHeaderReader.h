// Reading the design hierarchy out of the header of a Value Change Dump (IEEE 1364), the format
// of the waveform database the engine writes, into a DataReader.
#pragma once

#include <istream>
#include <string>

#include "orvex/DataReader.h"

namespace Tavrin {

/// Replaces the reader's hierarchy with the scopes and variables declared in the VCD header read
/// from `in`. Reading stops at "$enddefinitions $end": the value changes after it are never read.
///
/// Scopes become blocks (module: VerilogInstance; task, function: VerilogTask; begin, fork,
/// generate: VerilogInternalBlock; anything else: UnknownBlock); a scope opened again under the
/// same parent adds to the block made the first time. Variables become data objects of their
/// scope: nets are signals, parameters parameters, events events and everything else (reg,
/// integer, real, time ...) variables; real and realtime have the real type class, integer the
/// integer one, all others the logic one; a variable wider than one bit is a vector, except real
/// and event, which are scalars. Names lose the backslash of an escaped identifier and a range
/// written onto the name ("bus[7:0]"). A name that is already taken in its scope, or that the
/// reader refuses (one containing '/'), is left out; a refused scope is left out with all it
/// contains.
///
/// Throws Orvex::OpenException, naming `fileName`, the problem and its line, when the header is
/// empty, ends before $enddefinitions, has a $scope, $var or $upscope that does not fit the
/// format, or cannot be read; the reader is then left empty.
void loadVcdHeader(std::istream& in, const std::string& fileName, DataReader& reader);

} // namespace Tavrin
