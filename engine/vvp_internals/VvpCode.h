// vvp's instruction word and the names of the few runtime symbols the engine looks up, as in
// Icarus Verilog 11.0 (vvp/codes.h, vvp/codes.cc). GPL-2.0-or-later: see NOTICE in this folder.
// Only what the statement patching reads is declared; every use is validated first.
#pragma once

#include <cstdint>
#include <string>

#include <vpi_user.h>

namespace OrvexEngine {
namespace VvpInternals {

struct Thread; // vvp's vthread_s, never looked into
struct Code;

/// An opcode handler: `bool of_X(vthread_s*, vvp_code_s*)`; false suspends the thread.
using CodeFunction = bool (*)(Thread*, Code*);

/// vvp_code_s: the handler, then two operand words. A `%file_line` entry keeps its statement's
/// handle in the first word and leaves the second zero.
struct Code {
    CodeFunction opcode;
    union {
        unsigned long number;
        Code* next; // of_CHUNK_LINK: the next chunk
        vpiHandle handle;
    };
    union {
        std::uint32_t index[2];
        void* pointer;
    };
};
static_assert(sizeof(Code) == 3 * sizeof(void*), "vvp_code_s is three words");

/// Entries per code chunk; the last entry of each links to the next chunk.
constexpr unsigned ChunkSize = 1024;

// Mangled names of vvp's exported functions (g++ on x86-64).
constexpr const char* CodespaceNull = "_Z14codespace_nullv";  // first entry of the first chunk
constexpr const char* CodespaceNext = "_Z14codespace_nextv";  // the next entry to be allocated

/// The mangled name of the handler `of_<name>`.
inline std::string opcodeSymbol(const std::string& name) {
    std::string function = "of_" + name;
    return "_Z" + std::to_string(function.size()) + function + "P9vthread_sP10vvp_code_s";
}

} // namespace VvpInternals
} // namespace OrvexEngine
