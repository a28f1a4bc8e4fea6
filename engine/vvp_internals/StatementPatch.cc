// Finding, validating and patching the `%file_line` instructions of vvp 11.0's code space
// (vvp/codes.cc: chunks of 1024 entries, entry 0 of the first chunk of_ZOMBIE, the last entry of
// each chunk of_CHUNK_LINK to the next; vvp/compile.cc: a `%file_line` entry is allocated zeroed
// and gets only its opcode and handle). GPL-2.0-or-later: see NOTICE in this folder.
#include "StatementPatch.h"

#include <dlfcn.h>
#include <link.h>

#include <cstdint>
#include <set>
#include <vector>

#include "VvpCode.h"

namespace OrvexEngine {
namespace VvpInternals {

namespace {
constexpr std::uint8_t Armed = 1;
// The statement is followed by an instruction that may print a runtime warning or error with
// the thread's current place: vvp's own handler runs for it, so the place stays right.
constexpr std::uint8_t NeedsPlace = 2;

CodeFunction originalFileLine = nullptr;
bool* showFile = nullptr;
std::vector<std::uint8_t> siteFlags;
std::uint8_t* flags = nullptr; // siteFlags.data(), read by the handler
struct Site {
    Code* entry;
    std::string file;
    int line;
};
std::vector<Site> sites;

// EveryReport and EveryTrace bits.
constexpr std::uint8_t EveryReport = 1;
constexpr std::uint8_t EveryTrace = 2;
std::uint8_t everyStatement = 0;
void (*traceSink)(std::uint32_t site) = nullptr;


// Instructions whose handlers (or the queue and dynamic array code they call) write
// "file:line: " from the running thread (vvp/vthread.cc, vvp/vvp_darray.cc). Internal
// consistency errors that abort anyway are left out.
const char* const PlaceUsers[] = {
    "CAST2", "CAST_VEC2_DAR", "CAST_VEC4_DAR", "CAST_VEC4_STR", "CMPSTR", "DELETE_ELEM",
    "DELETE_TAIL", "NEW_DARRAY", "PUTC_STR_VEC4", "SPLIT_VEC4", "QINSERT_REAL", "QINSERT_STR",
    "QINSERT_V", "QPOP_B_REAL", "QPOP_B_STR", "QPOP_B_V", "QPOP_F_REAL", "QPOP_F_STR", "QPOP_F_V",
    "STORE_DAR_R", "STORE_DAR_STR", "STORE_DAR_VEC4", "STORE_QB_R", "STORE_QB_STR", "STORE_QB_V",
    "STORE_QDAR_R", "STORE_QDAR_STR", "STORE_QDAR_V", "STORE_QF_R", "STORE_QF_STR", "STORE_QF_V",
    "STORE_QOBJ_R", "STORE_QOBJ_STR", "STORE_QOBJ_V", "STORE_OBJ", "STORE_OBJA", "STORE_PROP_OBJ",
    "SET_DAR_OBJ_REAL", "SET_DAR_OBJ_STR", "SET_DAR_OBJ_VEC4", "LOAD_DAR_R", "LOAD_DAR_STR",
    "LOAD_DAR_VEC4",
};

// vvp's own handler: it records the thread's place, and reports the statement if `report`.
bool originalWith(Thread* thread, Code* code, bool report) {
    bool saved = *showFile;
    *showFile = report;
    bool result = originalFileLine(thread, code);
    *showFile = saved;
    return result;
}

bool reportingFileLine(Thread* thread, Code* code, std::uint8_t siteFlag) {
    const std::uint8_t every = __atomic_load_n(&everyStatement, __ATOMIC_RELAXED);
    bool report = (siteFlag & Armed) || (every & EveryReport);
    if (!report && (every & EveryTrace) && traceSink) {
        // Traced only: the place comes from the site table, vvp formats nothing.
        bool result = (siteFlag & NeedsPlace) ? originalWith(thread, code, false) : true;
        traceSink(code->index[0]);
        return result;
    }
    return originalWith(thread, code, report);
}

// The patched `%file_line` of a site with flags: the site number is in the entry's second word.
bool fastFileLine(Thread* thread, Code* code) {
    std::uint8_t siteFlag = flags[code->index[0]];
    if (__builtin_expect((siteFlag | __atomic_load_n(&everyStatement, __ATOMIC_RELAXED)) == 0, 1))
        return true;
    return reportingFileLine(thread, code, siteFlag);
}

// The patched `%file_line` of a site without flags, nearly every one: it runs for every
// statement, so it reads only the global word, not the site's flags.
bool quietFileLine(Thread* thread, Code* code) {
    if (__builtin_expect(__atomic_load_n(&everyStatement, __ATOMIC_RELAXED) == 0, 1)) return true;
    return reportingFileLine(thread, code, flags[code->index[0]]);
}

// Each site's handler follows its flags (set only while the simulation is paused).
void chooseHandler(std::size_t site) {
    sites[site].entry->opcode = siteFlags[site] ? fastFileLine : quietFileLine;
}

struct TextRange {
    std::uintptr_t low = 0, high = 0;
};

// The executable segments of the program itself (vvp), where every opcode handler lives.
std::vector<TextRange> programText() {
    std::vector<TextRange> ranges;
    dl_iterate_phdr(
        [](dl_phdr_info* info, std::size_t, void* data) {
            auto* out = static_cast<std::vector<TextRange>*>(data);
            for (int i = 0; i < info->dlpi_phnum; ++i) {
                const ElfW(Phdr)& segment = info->dlpi_phdr[i];
                if (segment.p_type == PT_LOAD && (segment.p_flags & PF_X))
                    out->push_back({info->dlpi_addr + segment.p_vaddr,
                                    info->dlpi_addr + segment.p_vaddr + segment.p_memsz});
            }
            return 1; // the first object listed is the program
        },
        &ranges);
    return ranges;
}

template <typename T>
T lookUp(const char* name) {
    return reinterpret_cast<T>(dlsym(RTLD_DEFAULT, name));
}
} // namespace

bool patchStatementSites(bool* showFileLine, std::string& why) {
    auto fileLine = lookUp<CodeFunction>(opcodeSymbol("FILE_LINE").c_str());
    auto chunkLink = lookUp<CodeFunction>(opcodeSymbol("CHUNK_LINK").c_str());
    auto zombie = lookUp<CodeFunction>(opcodeSymbol("ZOMBIE").c_str());
    auto first = lookUp<Code* (*)()>(CodespaceNull);
    auto next = lookUp<Code* (*)()>(CodespaceNext);
    if (!showFileLine || !fileLine || !chunkLink || !zombie || !first || !next) {
        why = "vvp does not export its code space";
        return false;
    }
    std::set<CodeFunction> placeUsers;
    for (const char* name : PlaceUsers) {
        auto handler = lookUp<CodeFunction>(opcodeSymbol(name).c_str());
        if (!handler) {
            why = std::string("vvp has no instruction ") + name;
            return false;
        }
        placeUsers.insert(handler);
    }
    std::vector<TextRange> text = programText();
    auto inText = [&](CodeFunction f) {
        auto at = reinterpret_cast<std::uintptr_t>(f);
        for (const TextRange& range : text)
            if (at >= range.low && at < range.high) return true;
        return false;
    };

    // First pass: read everything, change nothing.
    Code* chunk = first();
    Code* end = next();
    if (!chunk || chunk->opcode != zombie) {
        why = "the code space does not start as expected";
        return false;
    }
    std::vector<Code*> found;
    std::vector<std::uint8_t> foundFlags;
    constexpr std::size_t MaxChunks = std::size_t(1) << 24;
    bool reachedEnd = false;
    for (std::size_t chunks = 0; chunk && chunks < MaxChunks && !reachedEnd; ++chunks) {
        for (unsigned i = chunks == 0 ? 1 : 0; i + 1 < ChunkSize; ++i) {
            Code* entry = chunk + i;
            if (entry == end) {
                reachedEnd = true;
                break;
            }
            if (!inText(entry->opcode) || entry->opcode == chunkLink || entry->opcode == zombie) {
                why = "an instruction of unknown kind";
                return false;
            }
            if (entry->opcode == fileLine) {
                if (!entry->handle || entry->pointer) {
                    why = "a statement entry holds unexpected operands";
                    return false;
                }
                found.push_back(entry);
                foundFlags.push_back(0);
            } else if (!found.empty() && placeUsers.count(entry->opcode)) {
                foundFlags.back() |= NeedsPlace;
            }
        }
        if (reachedEnd) break;
        Code* link = chunk + (ChunkSize - 1);
        if (link->opcode != chunkLink) {
            why = "a code chunk does not end in its link";
            return false;
        }
        chunk = link->next;
    }
    if (!reachedEnd) {
        why = "the end of the code space was not reached";
        return false;
    }
    if (found.size() >= UINT32_MAX) {
        why = "too many statements";
        return false;
    }

    // Second pass: the checks passed; every entry is rewritten.
    sites.clear();
    sites.reserve(found.size());
    for (Code* entry : found) {
        const char* file = vpi_get_str(vpiFile, entry->handle);
        sites.push_back(Site{entry, file ? file : "", static_cast<int>(vpi_get(vpiLineNo, entry->handle))});
    }
    siteFlags = std::move(foundFlags);
    siteFlags.push_back(0); // never empty, so `flags` is valid
    flags = siteFlags.data();
    originalFileLine = fileLine;
    showFile = showFileLine;
    for (std::size_t i = 0; i < found.size(); ++i) {
        found[i]->index[0] = static_cast<std::uint32_t>(i);
        chooseHandler(i);
    }
    return true;
}

bool statementSitesPatched() { return originalFileLine != nullptr; }
std::size_t statementSiteCount() { return sites.size(); }

void rearmStatementSites(const std::function<bool(const std::string&, int)>& armed) {
    for (std::size_t i = 0; i < sites.size(); ++i) {
        if (armed(sites[i].file, sites[i].line))
            siteFlags[i] |= Armed;
        else
            siteFlags[i] &= static_cast<std::uint8_t>(~Armed);
        chooseHandler(i);
    }
}

void setEveryStatement(bool report, bool trace) {
    __atomic_store_n(&everyStatement, static_cast<std::uint8_t>((report ? EveryReport : 0) | (trace ? EveryTrace : 0)),
                     __ATOMIC_RELAXED);
}

void raiseEveryStatement() { __atomic_fetch_or(&everyStatement, EveryReport, __ATOMIC_RELAXED); }

void setTraceSink(void (*sink)(std::uint32_t site)) { traceSink = sink; }

const std::string& statementSiteFile(std::size_t site) { return sites[site].file; }
int statementSiteLine(std::size_t site) { return sites[site].line; }

} // namespace VvpInternals
} // namespace OrvexEngine
