// Printed names of block kinds and port directions, and the indentation of printed lines.
#include "tavrin/TclHelper.h"

namespace Tavrin {

void TclHelper::writeIndent(std::ostream& out, int n) {
    for (int i = 0; i < n; ++i)
        out << ' ';
}

StringBase TclHelper::getBlockKindName(int kind) {
    switch (kind) {
    case VhdlInstance: return "VHDL Instance";
    case VhdlPackage: return "VHDL Package";
    case VhdlInternalBlock: return "VHDL Internal Block";
    case VhdlProcess: return "VHDL Process";
    case VerilogInstance: return "Verilog Instance";
    case VerilogInternalBlock: return "Verilog Internal Block";
    case VerilogTask: return "Verilog Task";
    case VerilogProcess: return "Verilog Process";
    default: return "Block";
    }
}

const char* TclHelper::printPortType(int portType) {
    switch (portType) {
    case PortIn: return "IN";
    case PortOut: return "OUT";
    case PortInout: return "INOUT";
    case PortBuffer: return "BUFFER";
    case PortLinkage: return "LINKAGE";
    default: return "";
    }
}

} // namespace Tavrin
