// The command tree: subcommand tables, nested dispatch, the usage block and help printing.
#include "tavrin/TclCommandBase.h"

#include <memory>

namespace Tavrin {

// ---- TclSubCommandFactory ----

std::size_t TclSubCommandFactory::WordHash::operator()(const StringBase& word) const {
    std::uint32_t h = 5381;
    for (char c : word.str()) h = h * 33u + static_cast<std::uint32_t>(static_cast<signed char>(c));
    return h;
}

TclSubCommandFactory::TclSubCommandFactory() : creators_(193) { creators_.max_load_factor(1.0f); }

void TclSubCommandFactory::addCommandCreator(const StringBase& word, SubCommandCreator creator) {
    creators_[word] = creator;
}

TclSubCommand* TclSubCommandFactory::createCommand(const TclCommandBase* parent,
                                                   TclControlInterface* tcl,
                                                   const StringBase& word) const {
    if (word.empty()) return nullptr;
    auto found = creators_.find(word);
    if (found == creators_.end() || found->second == nullptr) return nullptr;
    return found->second(parent, tcl);
}

std::vector<StringBase> TclSubCommandFactory::getSubCommands() const {
    std::vector<StringBase> words;
    words.reserve(creators_.size());
    for (const auto& entry : creators_) words.push_back(entry.first);
    return words;
}

// ---- TclCommandBase ----

TclCommandBase::TclCommandBase(const TclCommandBase* parentCommand, TclControlInterface* tcl)
    : parent(parentCommand), tclInterface(tcl), subCommandFactory(new TclSubCommandFactory) {}

TclCommandBase::~TclCommandBase() { delete subCommandFactory; }

void TclCommandBase::parse(Tcl_Interp*, int, Tcl_Obj* const[]) {}

void TclCommandBase::doCommand() {}

StringBase TclCommandBase::getFullCommand() const {
    std::string words = getName().str();
    for (const TclCommandBase* up = parent; up != nullptr; up = up->getParent())
        words = up->getName().str() + " " + words;
    return StringBase(words);
}

std::string TclCommandBase::usageBlock() const {
    const std::string full = getFullCommand().str();
    return "Incorrect usage of command '" + full + "'\nUsage: " + usage().str() +
           "\nfor detailed help use 'help " + full + "'\n";
}

void TclCommandBase::commandErrorUsage() const { tclInterface->print(usageBlock(), false); }

void TclCommandBase::requireLiveEngine() const {
    if (tclInterface->getSimulationControl() == nullptr || tclInterface->getReader() == nullptr)
        ORVEX_THROW(TclCommandActionErrorException, "Unable to execute live simulation command.");
}

void TclCommandBase::requireSimulationControl() const {
    if (tclInterface->getSimulationControl() == nullptr)
        ORVEX_THROW(TclCommandActionErrorException, "Unable to execute live simulation command.");
}

void TclCommandBase::requireGui() const {
    if (tclInterface->getGuiControl() == nullptr)
        ORVEX_THROW(TclCommandActionErrorException, "No active gui.");
}

void TclCommandBase::printUsage(bool withPrefix) const {
    if (withPrefix) tclInterface->print("Usage: ", false);
    tclInterface->print(usage(), true);
}

void TclCommandBase::printHelp(int objc, Tcl_Obj* const objv[]) const {
    if (useHelpFromSubCommand(objc, objv)) return;
    printUsage(true);
    StringBase text = help();
    if (!text.empty()) tclInterface->print(text, true);
    printlValidSubCommands();
}

void TclCommandBase::printlValidSubCommands() const {
    std::vector<StringBase> words = subCommandFactory->getSubCommands();
    if (words.empty()) return;
    StringBase full = getFullCommand();
    tclInterface->print("Type \"help ", false);
    tclInterface->print(full, false);
    tclInterface->print(" <subcommand>\" for help on ", false);
    tclInterface->print(full, false);
    tclInterface->print(" subcommands.", true);
    tclInterface->print("Valid subcommands are: ", false);
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (i > 0) tclInterface->print(", ", false);
        tclInterface->print(words[i], false);
    }
    tclInterface->print("", true);
}

bool TclCommandBase::useHelpFromSubCommand(int objc, Tcl_Obj* const objv[]) const {
    if (objc < 1) return false;
    std::unique_ptr<TclSubCommand> sub(createSubCommand(Tcl_GetString(objv[0])));
    if (!sub) return false;
    sub->printHelp(objc - 1, objv + 1);
    return true;
}

// ---- TclCommand ----

TclCommand::TclCommand(TclControlInterface* tcl) : TclCommandBase(nullptr, tcl) {}

int TclCommand::parseAndDoCommand(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    return guarded([&] {
        parse(interp, objc - 1, objv + 1);
        doCommand();
    });
}

int TclCommand::parseAndDoSubCommand(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    StringBase word = objc >= 2 ? StringBase(Tcl_GetString(objv[1])) : StringBase();
    std::unique_ptr<TclSubCommand> sub(createSubCommand(word));
    if (!sub) {
        commandErrorUsage();
        return getTclInterface()->runOnErrorScript();
    }
    return guarded(
        [&] {
            sub->parse(interp, objc - 2, objv + 2);
            sub->doCommand();
        },
        sub.get());
}

void TclCommandBase::usageError(const StringBase& text) { ORVEX_THROW(TclCommandErrorException, text); }

void TclCommandBase::actionError(const StringBase& text) {
    ORVEX_THROW(TclCommandActionErrorException, text);
}

// ---- TclSubCommand ----

TclSubCommand::TclSubCommand(const TclCommandBase* parentCommand, TclControlInterface* tcl)
    : TclCommandBase(parentCommand, tcl) {}

TclSubCommand::~TclSubCommand() { deleteSubCommand(); }

void TclSubCommand::deleteSubCommand() {
    delete activeSubCommand;
    activeSubCommand = nullptr;
}

void TclSubCommand::parse(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    if (objc == 0) ORVEX_THROW(TclCommandErrorException, "");
    deleteSubCommand();
    activeSubCommand = createSubCommand(Tcl_GetString(objv[0]));
    if (activeSubCommand == nullptr) ORVEX_THROW(TclCommandErrorException, "");
    try {
        activeSubCommand->parse(interp, objc - 1, objv + 1);
    } catch (TclCommandErrorException& e) {
        // The deepest level's usage block is the one printed; the levels above keep it.
        if (e.usageBlock().empty()) e.setUsageBlock(activeSubCommand->usageBlock());
        deleteSubCommand();
        throw;
    } catch (...) {
        deleteSubCommand();
        throw;
    }
}

void TclSubCommand::doCommand() {
    if (activeSubCommand == nullptr) return;
    try {
        activeSubCommand->doCommand();
    } catch (...) {
        deleteSubCommand();
        throw;
    }
    deleteSubCommand();
}

} // namespace Tavrin
