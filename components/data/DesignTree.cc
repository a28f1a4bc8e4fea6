// Building the in-memory design hierarchy and resolving paths against its current scope with the
// shared path grammar.
#include "DesignTree.h"

#include <algorithm>
#include <cctype>

#include "HdlPath.h"

namespace Tavrin {

using DesignTreeDetail::TreeBlock;
using DesignTreeDetail::TreeDataObj;
using DesignTreeDetail::TreeObjectClass;
using DesignTreeDetail::TreeType;

namespace DesignTreeDetail {

IBlock* TreeBlock::getChild(int index) const {
    return index >= 0 && index < getChildCount() ? children_[index] : nullptr;
}

IDataObj* TreeBlock::getDataObj(int index) const {
    return index >= 0 && index < getDataObjCount() ? objects_[index] : nullptr;
}

TreeBlock* TreeBlock::findChild(const std::string& name) const {
    auto found = std::find_if(children_.begin(), children_.end(),
                              [&](const TreeBlock* child) { return child->name_ == name; });
    return found != children_.end() ? *found : nullptr;
}

TreeDataObj* TreeBlock::findObject(const std::string& name) const {
    auto found = std::find_if(objects_.begin(), objects_.end(),
                              [&](const TreeDataObj* object) { return object->name() == name; });
    return found != objects_.end() ? *found : nullptr;
}

void TreeBlock::addChild(TreeBlock* child) {
    children_.push_back(child);
    names_.insert(child->name_);
}

void TreeBlock::addObject(TreeDataObj* object) {
    objects_.push_back(object);
    names_.insert(object->name());
}

} // namespace DesignTreeDetail

namespace {

bool isUsableName(const std::string& name) {
    return !name.empty() && name != "." && name != "..";
}

// The tree as the path grammar walks it: blocks and data objects as IObject nodes.
struct TreeWalk {
    TreeBlock* rootBlock;

    IObject* root() const { return rootBlock; }
    bool isRoot(IObject* scope) const { return scope == rootBlock; }
    IObject* parent(IObject* scope) const {
        return static_cast<TreeBlock*>(scope)->parentBlock();
    }
    IObject* childScope(IObject* scope, const std::string& name) const {
        return static_cast<TreeBlock*>(scope)->findChild(name);
    }
    IObject* dataObject(IObject* scope, const std::string& name) const {
        return static_cast<TreeBlock*>(scope)->findObject(name);
    }
};

} // namespace

DesignTree::DesignTree() {
    blocks_.push_back(
        std::make_unique<TreeBlock>(this, nullptr, "", "", UnknownBlock, false, true));
    root_ = blocks_.back().get();
    scope_ = root_;
}

TreeBlock* DesignTree::ownBlock(const IObject* object) const {
    auto* block = dynamic_cast<const TreeBlock*>(object);
    return block && block->owner() == this ? const_cast<TreeBlock*>(block) : nullptr;
}

const TreeDataObj* DesignTree::ownObject(const IObject* object) const {
    auto* dataObj = dynamic_cast<const TreeDataObj*>(object);
    return dataObj && dataObj->owner() == this ? dataObj : nullptr;
}

bool DesignTree::owns(const IObject* object) const {
    return ownBlock(object) || ownObject(object);
}

const IType* DesignTree::type(int typeClassId) {
    auto& slot = types_[typeClassId];
    if (!slot)
        slot = std::make_unique<TreeType>(typeClassId);
    return slot.get();
}

const IObjectClass* DesignTree::objectClass(int classId) {
    auto& slot = classes_[classId];
    if (!slot)
        slot = std::make_unique<TreeObjectClass>(classId);
    return slot.get();
}

IBlock* DesignTree::addBlock(IBlock* parent, const std::string& name, int blockKind,
                             bool isProcess, bool visibilityRoot) {
    TreeBlock* container = parent ? ownBlock(parent) : root_;
    if (!container || !isUsableName(name) || container->hasName(name))
        return nullptr;

    // Top-level blocks have no enclosing block: the root only collects them.
    TreeBlock* enclosing = container == root_ ? nullptr : container;
    blocks_.push_back(std::make_unique<TreeBlock>(this, enclosing, name,
                                                  container->path() + "/" + Orvex::HdlPath::nameText(name), blockKind,
                                                  isProcess, visibilityRoot));
    TreeBlock* block = blocks_.back().get();
    container->addChild(block);
    if (container == root_ && root_->getChildCount() == 1 && scope_ == root_)
        scope_ = block;
    return block;
}

IDataObj* DesignTree::addObject(IBlock* parent, const std::string& name, int classId,
                                int typeClassId, int objectKind) {
    TreeBlock* container = ownBlock(parent);
    if (!container || !isUsableName(name) || container->hasName(name))
        return nullptr;
    objects_.push_back(std::make_unique<TreeDataObj>(this, container, name,
                                                     container->path() + "/" + Orvex::HdlPath::nameText(name), objectKind,
                                                     type(typeClassId), objectClass(classId),
                                                     nullptr));
    TreeDataObj* object = objects_.back().get();
    container->addObject(object);
    return object;
}

void DesignTree::setLocation(const IObject* object, const std::string& file, int line) {
    if (owns(object))
        locations_[object] = Place{file, line};
}

void DesignTree::setInstantiation(const IBlock* block, const std::string& file, int line) {
    if (ownBlock(block))
        instantiations_[block] = Place{file, line};
}

Orvex::HdlPath::Resolved<IObject*> DesignTree::resolve(const std::string& text) const {
    Orvex::HdlPath::Path path;
    try {
        path = Orvex::HdlPath::parse(text);
    } catch (const Orvex::HdlPath::PathError&) {
        return {};
    }
    TreeWalk walk{root_};
    return Orvex::HdlPath::resolve(path, walk, static_cast<IObject*>(scope_));
}

IDataObj* DesignTree::findDataObj(const std::string& text) const {
    const Orvex::HdlPath::Resolved<IObject*> found = resolve(text);
    auto* base = static_cast<TreeDataObj*>(found.object);
    if (!base || found.selects.empty())
        return base;

    // Elements and slices are objects of their own, kept under their canonical path so that the
    // engine and later lookups see one name whichever select form was typed.
    const std::string suffix = Orvex::HdlPath::selectText(found.selects);
    const bool isSlice = found.selects.back().range;
    std::lock_guard<std::mutex> lock(derivedMutex_);
    auto& slot = derived_[{base, suffix}];
    if (!slot)
        slot = std::make_unique<TreeDataObj>(this, base->getParent(), base->name() + suffix,
                                             base->getPath().str() + suffix,
                                             isSlice ? SliceObjectKind : ElementObjectKind,
                                             base->getType(), base->getObjectClass(), base);
    return slot.get();
}

IBlock* DesignTree::findBlock(const std::string& path) const {
    return static_cast<TreeBlock*>(resolve(path).scope);
}

IObject* DesignTree::findObject(const std::string& absolutePath) const {
    if (absolutePath.size() < 2 || absolutePath[0] != '/')
        return nullptr;
    if (IDataObj* object = findDataObj(absolutePath))
        return object;
    return findBlock(absolutePath);
}

const DesignTree::Place* DesignTree::placeOf(const IObject* object) const {
    auto found = locations_.find(object);
    if (found != locations_.end())
        return &found->second;
    const TreeDataObj* dataObj = ownObject(object);
    return dataObj && dataObj->base() ? placeOf(dataObj->base()) : nullptr;
}

std::string DesignTree::fileName(const IObject* object) const {
    const Place* place = placeOf(object);
    return place ? place->file : std::string();
}

int DesignTree::lineNumber(const IObject* object) const {
    const Place* place = placeOf(object);
    return place ? place->line : 0;
}

std::string DesignTree::instantiationFileName(const IBlock* block) const {
    auto found = instantiations_.find(block);
    return found != instantiations_.end() ? found->second.file : std::string();
}

int DesignTree::instantiationLineNumber(const IBlock* block) const {
    auto found = instantiations_.find(block);
    return found != instantiations_.end() ? found->second.line : 0;
}

bool DesignTree::setScope(IBlock* block) {
    TreeBlock* own = ownBlock(block);
    if (!own)
        return false;
    scope_ = own;
    return true;
}

} // namespace Tavrin
