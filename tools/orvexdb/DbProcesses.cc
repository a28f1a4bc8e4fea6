// Process connections: a signal assigned in an initial/always process, task or function is driven
// by it; a signal read in an expression or waited on is a load of it. Each pair is written once,
// at the first statement that makes it.
#include <set>
#include <string>
#include <tuple>

#include "DbRecords.h"

namespace OrvexDb {

namespace {

class Walker {
public:
    Walker(RecordWriter& writer, std::string path, std::string what) : w_(writer), path_(std::move(path)), what_(std::move(what)) {}

    void statement(ivl_statement_t s) {
        if (!s) return;
        switch (ivl_statement_type(s)) {
        case IVL_ST_ASSIGN: case IVL_ST_ASSIGN_NB: case IVL_ST_CASSIGN: case IVL_ST_FORCE:
            for (unsigned i = 0; i < ivl_stmt_lvals(s); ++i) lval(ivl_stmt_lval(s, i), s);
            expr(ivl_stmt_rval(s), s);
            break;
        case IVL_ST_DEASSIGN: case IVL_ST_RELEASE:
            break;
        case IVL_ST_BLOCK: case IVL_ST_FORK: case IVL_ST_FORK_JOIN_ANY: case IVL_ST_FORK_JOIN_NONE:
            for (unsigned i = 0; i < ivl_stmt_block_count(s); ++i) statement(ivl_stmt_block_stmt(s, i));
            break;
        case IVL_ST_CONDIT:
            expr(ivl_stmt_cond_expr(s), s);
            statement(ivl_stmt_cond_true(s));
            statement(ivl_stmt_cond_false(s));
            break;
        case IVL_ST_CASE: case IVL_ST_CASEX: case IVL_ST_CASEZ: case IVL_ST_CASER:
            expr(ivl_stmt_cond_expr(s), s);
            for (unsigned i = 0; i < ivl_stmt_case_count(s); ++i) {
                expr(ivl_stmt_case_expr(s, i), s);
                statement(ivl_stmt_case_stmt(s, i));
            }
            break;
        case IVL_ST_WHILE: case IVL_ST_DO_WHILE: case IVL_ST_REPEAT:
            expr(ivl_stmt_cond_expr(s), s);
            statement(ivl_stmt_sub_stmt(s));
            break;
        case IVL_ST_DELAY: case IVL_ST_FOREVER:
            statement(ivl_stmt_sub_stmt(s));
            break;
        case IVL_ST_DELAYX:
            expr(ivl_stmt_delay_expr(s), s);
            statement(ivl_stmt_sub_stmt(s));
            break;
        case IVL_ST_WAIT:
            for (unsigned i = 0; i < ivl_stmt_nevent(s); ++i) event(ivl_stmt_events(s, i), s);
            statement(ivl_stmt_sub_stmt(s));
            break;
        case IVL_ST_STASK:
            for (unsigned i = 0; i < ivl_stmt_parm_count(s); ++i) expr(ivl_stmt_parm(s, i), s);
            break;
        default:
            break;
        }
    }

private:
    void lval(ivl_lval_t lv, ivl_statement_t s) {
        for (; lv; lv = ivl_lval_nest(lv)) {
            if (ivl_signal_t sig = ivl_lval_sig(lv)) record("driver", sig, s);
            expr(ivl_lval_idx(lv), s);
            expr(ivl_lval_part_off(lv), s);
            if (ivl_lval_sig(lv)) break;
        }
    }

    void expr(ivl_expr_t e, ivl_statement_t s) {
        if (!e) return;
        switch (ivl_expr_type(e)) {
        case IVL_EX_SIGNAL:
            record("load", ivl_expr_signal(e), s);
            expr(ivl_expr_oper1(e), s); // array word index
            break;
        case IVL_EX_BINARY:
            expr(ivl_expr_oper1(e), s);
            expr(ivl_expr_oper2(e), s);
            break;
        case IVL_EX_UNARY:
            expr(ivl_expr_oper1(e), s);
            break;
        case IVL_EX_SELECT:
            expr(ivl_expr_oper1(e), s);
            expr(ivl_expr_oper2(e), s);
            break;
        case IVL_EX_TERNARY:
            expr(ivl_expr_oper1(e), s);
            expr(ivl_expr_oper2(e), s);
            expr(ivl_expr_oper3(e), s);
            break;
        case IVL_EX_CONCAT: case IVL_EX_SFUNC: case IVL_EX_UFUNC:
            for (unsigned i = 0; i < ivl_expr_parms(e); ++i) expr(ivl_expr_parm(e, i), s);
            break;
        default:
            break;
        }
    }

    void event(ivl_event_t ev, ivl_statement_t s) {
        if (!ev) return;
        ivl_scope_t scope = ivl_event_scope(ev);
        auto nexus = [&](ivl_nexus_t n) {
            if (!n) return;
            for (unsigned i = 0; i < ivl_nexus_ptrs(n); ++i) {
                ivl_signal_t sig = ivl_nexus_ptr_sig(ivl_nexus_ptr(n, i));
                if (sig && !ivl_signal_local(sig) && ivl_signal_scope(sig) == scope) record("load", sig, s);
            }
        };
        for (unsigned i = 0; i < ivl_event_npos(ev); ++i) nexus(ivl_event_pos(ev, i));
        for (unsigned i = 0; i < ivl_event_nneg(ev); ++i) nexus(ivl_event_neg(ev, i));
        for (unsigned i = 0; i < ivl_event_nany(ev); ++i) nexus(ivl_event_any(ev, i));
    }

    void record(const char* kind, ivl_signal_t sig, ivl_statement_t s) {
        if (!sig || ivl_signal_local(sig)) return;
        const std::string net = signalPath(sig);
        if (!seen_.insert(std::make_tuple(std::string(kind), net)).second) return;
        w_.connection(kind, net, path_, 5, what_, 0, ivl_stmt_file(s), ivl_stmt_lineno(s));
    }

    RecordWriter& w_;
    std::string path_;
    std::string what_;
    std::set<std::tuple<std::string, std::string>> seen_;
};

const char* processName(ivl_process_type_t type) {
    switch (type) {
    case IVL_PR_INITIAL: return "initial";
    case IVL_PR_FINAL: return "final";
    default: return "always";
    }
}

int walkProcess(ivl_process_t process, void* data) {
    RecordWriter& w = *static_cast<RecordWriter*>(data);
    Walker walker(w, scopePath(ivl_process_scope(process)), processName(ivl_process_type(process)));
    walker.statement(ivl_process_stmt(process));
    return 0;
}

int walkSubroutines(ivl_scope_t scope, void* data) {
    RecordWriter& w = *static_cast<RecordWriter*>(data);
    const ivl_scope_type_t type = ivl_scope_type(scope);
    if (type == IVL_SCT_TASK || type == IVL_SCT_FUNCTION) {
        Walker walker(w, scopePath(scope), type == IVL_SCT_TASK ? "task" : "function");
        walker.statement(ivl_scope_def(scope));
    }
    return ivl_scope_children(scope, walkSubroutines, data);
}

} // namespace

void writeProcessConnections(ivl_design_t design, RecordWriter& writer) {
    ivl_design_process(design, walkProcess, &writer);
    ivl_scope_t* roots = nullptr;
    unsigned count = 0;
    ivl_design_roots(design, &roots, &count);
    for (unsigned i = 0; i < count; ++i) walkSubroutines(roots[i], &writer);
}

} // namespace OrvexDb
