// The engine protocol's vocabulary, one table for both sides: request names, record classes,
// stop reasons, field names, the kind words of the design data and the radix names. The engine,
// the engine control and the engine double all spell the protocol with these, so a word changed
// here changes on every side at once (docs/engine-protocol.md lists their meaning).
#pragma once

namespace Orvex {
namespace Protocol {

namespace Request {
inline constexpr char Design[] = "design";
inline constexpr char Run[] = "run";
inline constexpr char RunAll[] = "run-all";
inline constexpr char Step[] = "step";
inline constexpr char Restart[] = "restart";
inline constexpr char Stop[] = "stop";
inline constexpr char Status[] = "status";
inline constexpr char Value[] = "value";
inline constexpr char Values[] = "values";
inline constexpr char SetValue[] = "set-value";
inline constexpr char BpAdd[] = "bp-add";
inline constexpr char BpRemove[] = "bp-remove";
inline constexpr char BpClear[] = "bp-clear";
inline constexpr char BpList[] = "bp-list";
inline constexpr char ArrayDisplayLength[] = "array-display-length";
inline constexpr char MaxTraceableSize[] = "max-traceable-size";
inline constexpr char ForceAdd[] = "force-add";
inline constexpr char ForceRemove[] = "force-remove";
inline constexpr char Drivers[] = "drivers";
inline constexpr char Ended[] = "ended";
inline constexpr char Loads[] = "loads";
inline constexpr char NtraceStart[] = "ntrace-start";
inline constexpr char NtraceStop[] = "ntrace-stop";
inline constexpr char NtraceSelectBlock[] = "ntrace-select-block";
inline constexpr char NtraceSelectObject[] = "ntrace-select-object";
inline constexpr char Ptrace[] = "ptrace";
inline constexpr char Ltrace[] = "ltrace";
inline constexpr char SdfAnnotate[] = "sdf-annotate";
inline constexpr char PathPulse[] = "path-pulse";
inline constexpr char PulseStyle[] = "pulse-style";
inline constexpr char ShowCancelled[] = "show-cancelled";
inline constexpr char VcdFile[] = "vcd-file";
inline constexpr char VcdFlush[] = "vcd-flush";
inline constexpr char VcdOn[] = "vcd-on";
inline constexpr char VcdOff[] = "vcd-off";
inline constexpr char VcdVars[] = "vcd-vars";
inline constexpr char VcdLimit[] = "vcd-limit";
inline constexpr char SaifOpen[] = "saif-open";
inline constexpr char SaifClose[] = "saif-close";
inline constexpr char CondAdd[] = "cond-add";
inline constexpr char CondRemoveLabel[] = "cond-remove-label";
inline constexpr char CondRemoveId[] = "cond-remove-id";
inline constexpr char CondClear[] = "cond-clear";
inline constexpr char CondList[] = "cond-list";
inline constexpr char Quit[] = "quit";
inline constexpr char Exit[] = "exit";
inline constexpr char Wdb[] = "wdb";
} // namespace Request

/// Classes of result and event records.
namespace Record {
inline constexpr char Done[] = "done";
inline constexpr char Error[] = "error";
inline constexpr char Ready[] = "ready";
inline constexpr char Stopped[] = "stopped";
inline constexpr char CaptureResumed[] = "capture-resumed";
inline constexpr char Progress[] = "progress";
} // namespace Record

/// The reason of a *stopped event.
namespace Reason {
inline constexpr char RunComplete[] = "run-complete";
inline constexpr char BreakpointHit[] = "breakpoint-hit";
inline constexpr char EndStepping[] = "end-stepping";
inline constexpr char ConditionMet[] = "condition-met";
inline constexpr char VlogFinish[] = "vlog-finish";
inline constexpr char VlogStop[] = "vlog-stop";
inline constexpr char UserStop[] = "user-stop";
inline constexpr char RestartComplete[] = "restart-complete";
} // namespace Reason

namespace Field {
inline constexpr char Accepted[] = "accepted";
inline constexpr char Breakpoints[] = "breakpoints";
inline constexpr char Children[] = "children";
inline constexpr char Code[] = "code";
inline constexpr char Conditions[] = "conditions";
inline constexpr char Detail[] = "detail";
inline constexpr char Dir[] = "dir";
inline constexpr char Driver[] = "driver";
inline constexpr char Drivers[] = "drivers";
inline constexpr char Elapsed[] = "elapsed";
inline constexpr char Ended[] = "ended";
inline constexpr char Expression[] = "expression";
inline constexpr char File[] = "file";
inline constexpr char First[] = "first";
inline constexpr char Id[] = "id";
inline constexpr char Ids[] = "ids";
inline constexpr char InstanceFile[] = "ifile";
inline constexpr char InstanceLine[] = "iline";
inline constexpr char Index[] = "index";
inline constexpr char Kind[] = "kind";
inline constexpr char Label[] = "label";
inline constexpr char Last[] = "last";
inline constexpr char Line[] = "line";
inline constexpr char Load[] = "load";
inline constexpr char Loads[] = "loads";
inline constexpr char Lsb[] = "lsb";
inline constexpr char Msb[] = "msb";
inline constexpr char Msg[] = "msg";
inline constexpr char Name[] = "name";
inline constexpr char Object[] = "object";
inline constexpr char Objects[] = "objects";
inline constexpr char Path[] = "path";
inline constexpr char Radix[] = "radix";
inline constexpr char Reason[] = "reason";
inline constexpr char Resolution[] = "resolution";
inline constexpr char Signed[] = "signed";
inline constexpr char Size[] = "size";
inline constexpr char Start[] = "start";
inline constexpr char Status[] = "status";
inline constexpr char Text[] = "text";
inline constexpr char Time[] = "time";
inline constexpr char Tops[] = "tops";
inline constexpr char Until[] = "until";
inline constexpr char Value[] = "value";
inline constexpr char Values[] = "values";
inline constexpr char Version[] = "version";
inline constexpr char Width[] = "width";
} // namespace Field

/// The kind word of a scope in the design data.
namespace ScopeKind {
inline constexpr char Module[] = "module";
inline constexpr char Task[] = "task";
inline constexpr char Function[] = "function";
inline constexpr char Begin[] = "begin";
inline constexpr char Fork[] = "fork";
inline constexpr char Initial[] = "initial";
inline constexpr char Always[] = "always";
inline constexpr char Final[] = "final";
inline constexpr char Generate[] = "generate";
} // namespace ScopeKind

/// The kind word of a data object in the design data.
namespace ObjectKind {
inline constexpr char Net[] = "net";
inline constexpr char Reg[] = "reg";
inline constexpr char Integer[] = "integer";
inline constexpr char Real[] = "real";
inline constexpr char Realtime[] = "realtime";
inline constexpr char Time[] = "time";
inline constexpr char Parameter[] = "parameter";
inline constexpr char Localparam[] = "localparam";
inline constexpr char Event[] = "event";
inline constexpr char Memory[] = "memory";
} // namespace ObjectKind

/// The direction word of a port.
namespace Direction {
inline constexpr char In[] = "in";
inline constexpr char Out[] = "out";
inline constexpr char Inout[] = "inout";
} // namespace Direction

/// Radix names, indexed by the shell's radix number (noradix 0 ... oct 7).
inline constexpr const char* RadixNames[] = {"noradix", "default", "bin",   "unsigned",
                                             "hex",     "dec",     "ascii", "oct"};
inline constexpr int RadixCount = sizeof RadixNames / sizeof RadixNames[0];

} // namespace Protocol
} // namespace Orvex
