// The declaration patterns of command classes: every top-level command and subcommand declares
// the same members (its word, usage and help), so the classes are declared through these macros.
#pragma once

#include "tavrin/TclCommandBase.h"

/// A top-level command: its Tcl word, texts and the procedure Tcl calls.
#define ORVEX_TOP_LEVEL_COMMAND(Class, word)                                  \
    class Class : public TclCommand, public TclCommandRegistration<Class> {   \
    public:                                                                   \
        explicit Class(TclControlInterface* tcl);                             \
        static const char* getCommandName() { return word; }                  \
        StringBase getName() const override { return getCommandName(); }      \
        StringBase usage() const override;                                    \
        StringBase help() const override;                                     \
        int execute(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]);     \
    }

/// A subcommand derived from `Base`: its word and texts, then any further members.
#define ORVEX_SUBCOMMAND_CLASS(Class, Base, word, ...)                         \
    class Class : public Base {                                                \
    public:                                                                    \
        Class(const TclCommandBase* parent, TclControlInterface* tcl);         \
        static StringBase getSubCommandName() { return word; }                 \
        StringBase getName() const override { return getSubCommandName(); }   \
        StringBase usage() const override;                                     \
        StringBase help() const override;                                      \
        __VA_ARGS__                                                            \
    }

#define ORVEX_PARSE_AND_DO                                                     \
    void parse(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) override;  \
    void doCommand() override;

/// A leaf subcommand with its own parse and doCommand.
#define ORVEX_SUBCOMMAND(Class, word) ORVEX_SUBCOMMAND_CLASS(Class, TclSubCommand, word, ORVEX_PARSE_AND_DO)

/// A leaf that keeps what its parse read: the trailing arguments are its private fields.
#define ORVEX_SUBCOMMAND_WITH_FIELDS(Class, word, ...) \
    ORVEX_SUBCOMMAND_CLASS(Class, TclSubCommand, word, ORVEX_PARSE_AND_DO private: __VA_ARGS__)

/// An argument-less leaf (TclPlainSubCommand refuses any word); it defines only doCommand.
#define ORVEX_PLAIN_SUBCOMMAND(Class, word) \
    ORVEX_SUBCOMMAND_CLASS(Class, TclPlainSubCommand, word, void doCommand() override;)

/// A middle level: it registers its subcommands, and the default parse and doCommand dispatch.
#define ORVEX_SUBCOMMAND_GROUP(Class, word) ORVEX_SUBCOMMAND_CLASS(Class, TclSubCommand, word, )

/// A subcommand whose parsing and action come from `Base`, with any further members.
#define ORVEX_DERIVED_SUBCOMMAND(Class, Base, word, ...) ORVEX_SUBCOMMAND_CLASS(Class, Base, word, __VA_ARGS__)
