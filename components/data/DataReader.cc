// DataReader: the live design hierarchy over the data library's shared design tree, filled by
// the engine control from what the engine reports.
#include "orvex/DataReader.h"

#include "DesignTree.h"

namespace Tavrin {

DataReader::DataReader(int mode, const StringBase& engineDirectory,
                       const StringBase& databaseFile, int runNumber)
    : mode_(mode), engineDirectory_(engineDirectory), databaseFile_(databaseFile),
      runNumber_(runNumber), design_(std::make_unique<DesignTree>()) {}

DataReader::~DataReader() = default;

void DataReader::clear() { design_ = std::make_unique<DesignTree>(); }

IBlock* DataReader::addBlock(IBlock* parent, const StringBase& name, int blockKind,
                             bool isProcess, bool visibilityRoot) {
    return design_->addBlock(parent, name, blockKind, isProcess, visibilityRoot);
}

IDataObj* DataReader::addObject(IBlock* parent, const StringBase& name, int classId,
                                int typeClassId, int objectKind) {
    return design_->addObject(parent, name, classId, typeClassId, objectKind);
}

void DataReader::setLocation(const IObject* object, const StringBase& file, int line) {
    design_->setLocation(object, file, line);
}

void DataReader::setInstantiation(const IBlock* block, const StringBase& file, int line) {
    design_->setInstantiation(block, file, line);
}

IObject* DataReader::findObject(const StringBase& absolutePath) const {
    return design_->findObject(absolutePath);
}

bool DataReader::contains(const IObject* object) const { return design_->owns(object); }

IDataObj* DataReader::findDataObj(const StringBase& name) const {
    return design_->findDataObj(name);
}

IBlock* DataReader::findBlock(const StringBase& path) const { return design_->findBlock(path); }

StringBase DataReader::getFileName(const IObject* object) const {
    return design_->fileName(object);
}

int DataReader::getLineNumber(const IObject* object) const { return design_->lineNumber(object); }

StringBase DataReader::getInstantiationFileName(const IBlock* block) const {
    return design_->instantiationFileName(block);
}

int DataReader::getInstantiationLineNumber(const IBlock* block) const {
    return design_->instantiationLineNumber(block);
}

IBlock* DataReader::getDesignRoot() const { return design_->root(); }

IBlock* DataReader::getCurrentScope() const { return design_->scope(); }

void DataReader::setCurrentScope(IBlock* block) { design_->setScope(block); }

DataObjMgr* DataReader::getDataObjMgr() const { return &dataObjMgr_; }

} // namespace Tavrin
