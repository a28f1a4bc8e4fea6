// The registry of top-level commands that `help` lists.
#pragma once

#include <vector>

#include "orvex/StringBase.h"

namespace Tavrin {

class TclCommand;

/// Process-wide list of the registered top-level commands (not owned), sorted by name once
/// every command is registered.
class HelpInstance {
public:
    static HelpInstance& getInstance();
    void add(TclCommand* command);
    void remove(TclCommand* command);
    TclCommand* get(const StringBase& name) const;
    void sort();
    const std::vector<TclCommand*>& getAllCommands() const { return commands_; }

private:
    HelpInstance() = default;
    std::vector<TclCommand*> commands_;
};

} // namespace Tavrin
