// FakeDataReader: an IReader over a design hierarchy that tests and engine-less hosts build by
// hand, kept in the data library's shared design tree.
#include "orvex/FakeDataReader.h"

#include "DesignTree.h"

namespace Tavrin {

struct FakeDataReader::Design : DesignTree {};

FakeDataReader::FakeDataReader() : design_(std::make_unique<Design>()) {}

FakeDataReader::~FakeDataReader() = default;

IBlock* FakeDataReader::addBlock(IBlock* parent, const StringBase& name, int blockKind,
                                 bool isProcess, bool visibilityRoot) {
    return design_->addBlock(parent, name, blockKind, isProcess, visibilityRoot);
}

IDataObj* FakeDataReader::addObject(IBlock* parent, const StringBase& name, int classId,
                                    int typeClassId, int objectKind) {
    return design_->addObject(parent, name, classId, typeClassId, objectKind);
}

void FakeDataReader::setLocation(const IObject* object, const StringBase& file, int line) {
    design_->setLocation(object, file, line);
}

void FakeDataReader::setInstantiation(const IBlock* block, const StringBase& file, int line) {
    design_->setInstantiation(block, file, line);
}

IDataObj* FakeDataReader::findDataObj(const StringBase& name) const {
    return design_->findDataObj(name);
}

IBlock* FakeDataReader::findBlock(const StringBase& path) const {
    return design_->findBlock(path);
}

StringBase FakeDataReader::getFileName(const IObject* object) const {
    return design_->fileName(object);
}

int FakeDataReader::getLineNumber(const IObject* object) const {
    return design_->lineNumber(object);
}

StringBase FakeDataReader::getInstantiationFileName(const IBlock* block) const {
    return design_->instantiationFileName(block);
}

int FakeDataReader::getInstantiationLineNumber(const IBlock* block) const {
    return design_->instantiationLineNumber(block);
}

IBlock* FakeDataReader::getDesignRoot() const { return design_->root(); }

IBlock* FakeDataReader::getCurrentScope() const { return design_->scope(); }

void FakeDataReader::setCurrentScope(IBlock* block) { design_->setScope(block); }

} // namespace Tavrin
