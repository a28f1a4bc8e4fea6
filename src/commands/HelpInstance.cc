// The registry of top-level commands listed by `help`.
#include "tavrin/HelpInstance.h"

#include <algorithm>

#include "tavrin/TclCommandBase.h"

namespace Tavrin {

HelpInstance& HelpInstance::getInstance() {
    static HelpInstance instance;
    return instance;
}

void HelpInstance::add(TclCommand* command) {
    if (command != nullptr) commands_.push_back(command);
}

void HelpInstance::remove(TclCommand* command) {
    auto found = std::find(commands_.begin(), commands_.end(), command);
    if (found != commands_.end()) commands_.erase(found);
}

TclCommand* HelpInstance::get(const StringBase& name) const {
    for (TclCommand* command : commands_)
        if (command != nullptr && command->getName() == name) return command;
    return nullptr;
}

void HelpInstance::sort() {
    std::sort(commands_.begin(), commands_.end(),
              [](const TclCommand* a, const TclCommand* b) { return a->getName() < b->getName(); });
}

} // namespace Tavrin
