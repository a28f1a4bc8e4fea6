// The control object and its factory: every operation is carried out by the implementation.
#include "tavrin/TclControl.h"

#include "TclControlImpl.h"

namespace Tavrin {

ITclObject* TclControlFactory::createTclObject(IConsole& console) const {
    return new TclControl(&console, false);
}

ITclObject* TclControlFactory::createTclObjectUseStdio() const { return new TclControl(nullptr, false); }

TclControl::TclControl(IConsole* console, bool handleEngineHang)
    : impl_(new TclControlImpl(console, handleEngineHang)) {}

TclControl::~TclControl() { delete impl_; }

void TclControl::startEngineProcess(const char* logFileName, bool noLog) {
    impl_->startEngineProcess(logFileName, noLog);
}

int TclControl::startTcl(const char* programName, const char* batchFile, int (*appInit)(Tcl_Interp*)) {
    return impl_->startTcl(programName, batchFile, appInit);
}

void TclControl::saveCommandLineToLog(int argc, char* const* argv) { impl_->saveCommandLineToLog(argc, argv); }

ISimulationControl* TclControl::changeSimControl(ISimulationControl* control) {
    return impl_->swapSimulationControl(control);
}

ISimulationControl* TclControl::getSimulationControl() const { return impl_->getSimulationControl(); }

void TclControl::setGuiControl(IGuiControl* gui) { impl_->setGuiControl(gui); }

IReader* TclControl::getReader() const { return impl_->getReader(); }

void TclControl::shutDown() { impl_->shutDown(); }

void TclControl::setRadix(Radix radix) { impl_->setRadix(radix); }

void TclControl::closeLiveSimClient() { impl_->closeLiveSimClient(); }

void TclControl::setLiveSimClient(LiveSimClient* client) { impl_->setLiveSimClient(client); }

void TclControl::setReader(IReader* reader) { impl_->setReader(reader); }

std::int64_t TclControl::getTimePrecision() const {
    const int unit = impl_->getUserUnit();
    if (unit < -14) return 1;
    std::int64_t precision = 1;
    for (int i = -15; i < unit; ++i) precision *= 10;
    return precision;
}

int TclControl::getExitStatus() const { return impl_->hostExitStatus(); }

bool TclControl::batchFileFailed() const { return impl_->batchFileFailed(); }

bool TclControl::commandFailed() const { return impl_->inputCommandFailed(); }

void TclControl::requestLeave() { impl_->requestLeave(); }

void TclControl::setEarlierHistory(const std::vector<std::string>& lines) { impl_->setEarlierHistory(lines); }

void TclControl::setStartupCommands(const std::string& script) { impl_->setStartupCommands(script); }

} // namespace Tavrin
