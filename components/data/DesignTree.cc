// Building the in-memory design hierarchy and resolving block paths and object names (with index
// and slice suffixes) against its current scope.
#include "DesignTree.h"

#include <algorithm>
#include <cctype>

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
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

std::vector<std::string> splitPath(const std::string& path) {
    std::vector<std::string> components;
    std::size_t begin = 0;
    while (begin <= path.size()) {
        std::size_t end = path.find('/', begin);
        if (end == std::string::npos)
            end = path.size();
        if (end > begin)
            components.push_back(path.substr(begin, end - begin));
        begin = end + 1;
    }
    return components;
}

// The position of the last '/' that is not inside an index or slice suffix, or npos.
std::size_t lastSeparator(const std::string& name) {
    std::size_t found = std::string::npos;
    int depth = 0;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        if (c == '(' || c == '[')
            ++depth;
        else if ((c == ')' || c == ']') && depth > 0)
            --depth;
        else if (c == '/' && depth == 0)
            found = i;
    }
    return found;
}

bool isRangeText(std::string text) {
    if (text.find(':') != std::string::npos)
        return true;
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text.find(" to ") != std::string::npos || text.find(" downto ") != std::string::npos;
}

// Checks a suffix made of bracketed groups ("[3]", "(7:0)", "(1,3,5)(1:10)") and tells whether
// its last group is a range. Returns false for anything else.
bool parseSuffix(const std::string& suffix, bool& lastIsRange) {
    if (suffix.empty())
        return false;
    std::size_t i = 0;
    while (i < suffix.size()) {
        const char open = suffix[i];
        if (open != '[' && open != '(')
            return false;
        const std::size_t close = suffix.find(open == '[' ? ']' : ')', i + 1);
        if (close == std::string::npos)
            return false;
        const std::string content = suffix.substr(i + 1, close - i - 1);
        if (content.empty() || content.find_first_of("[]()") != std::string::npos)
            return false;
        lastIsRange = isRangeText(content);
        i = close + 1;
    }
    return true;
}

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
                                                  container->path() + "/" + name, blockKind,
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
                                                     container->path() + "/" + name, objectKind,
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

TreeBlock* DesignTree::resolveBlock(const std::string& path) const {
    if (path.empty())
        return nullptr;
    TreeBlock* block = path[0] == '/' ? root_ : scope_;
    for (const std::string& component : splitPath(path)) {
        if (component == "..")
            block = block->parentBlock();
        else if (component != ".")
            block = block->findChild(component);
        if (!block)
            return nullptr;
    }
    return block;
}

IDataObj* DesignTree::findDataObj(const std::string& text) const {
    if (text.empty())
        return nullptr;

    TreeBlock* block = scope_;
    std::string leaf = text;
    const std::size_t separator = lastSeparator(text);
    if (separator != std::string::npos) {
        block = resolveBlock(separator == 0 ? "/" : text.substr(0, separator));
        leaf = text.substr(separator + 1);
    }
    if (!block || leaf.empty())
        return nullptr;
    if (TreeDataObj* declared = block->findObject(leaf))
        return declared;

    const std::size_t suffixBegin = leaf.find_first_of("[(");
    if (suffixBegin == std::string::npos || suffixBegin == 0)
        return nullptr;
    const std::string suffix = leaf.substr(suffixBegin);
    bool isSlice = false;
    const TreeDataObj* base = block->findObject(leaf.substr(0, suffixBegin));
    if (!base || !parseSuffix(suffix, isSlice))
        return nullptr;

    std::lock_guard<std::mutex> lock(derivedMutex_);
    auto& slot = derived_[{base, suffix}];
    if (!slot)
        slot = std::make_unique<TreeDataObj>(this, base->getParent(), base->name() + suffix,
                                             base->getPath().str() + suffix,
                                             isSlice ? SliceObjectKind : ElementObjectKind,
                                             base->getType(), base->getObjectClass(), base);
    return slot.get();
}

IBlock* DesignTree::findBlock(const std::string& path) const { return resolveBlock(path); }

IObject* DesignTree::findObject(const std::string& absolutePath) const {
    if (absolutePath.size() < 2 || absolutePath[0] != '/')
        return nullptr;
    if (IDataObj* object = findDataObj(absolutePath))
        return object;
    return resolveBlock(absolutePath);
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
