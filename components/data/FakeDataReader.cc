// The in-memory design of FakeDataReader: blocks, data objects, their types and classes, and the
// resolution of block paths and object names against the current scope.
#include "orvex/FakeDataReader.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace Tavrin {

namespace {

class FakeType : public IType {
public:
    explicit FakeType(int typeClassId) : typeClassId_(typeClassId) {}
    int getTypeClassId() const override { return typeClassId_; }

private:
    int typeClassId_;
};

class FakeObjectClass : public IObjectClass {
public:
    explicit FakeObjectClass(int classId) : classId_(classId) {}
    int getClassId() const override { return classId_; }

private:
    int classId_;
};

// A source place; an empty file means none is known.
struct Place {
    std::string file;
    int line = 0;
};

class FakeDataObj : public IDataObj {
public:
    FakeDataObj(const void* owner, IBlock* parent, std::string name, std::string path, int kind,
                const IType* type, const IObjectClass* objectClass, const IDataObj* base)
        : owner_(owner), parent_(parent), name_(std::move(name)), path_(std::move(path)),
          kind_(kind), type_(type), class_(objectClass), base_(base) {}

    int getObjectKind() const override { return kind_; }
    StringBase getPath() const override { return path_; }
    StringBase getName() const override { return name_; }
    IBlock* getParent() const override { return parent_; }
    void getDisplayName(StringBase& name) const override { name = name_; }
    const IType* getType() const override { return type_; }
    const IObjectClass* getObjectClass() const override { return class_; }

    const void* owner() const { return owner_; }
    /// The object an element or slice was taken from; null for a declared object.
    const IDataObj* base() const { return base_; }

private:
    const void* owner_;
    IBlock* parent_;
    std::string name_;
    std::string path_;
    int kind_;
    const IType* type_;
    const IObjectClass* class_;
    const IDataObj* base_;
};

class FakeBlock : public IBlock {
public:
    FakeBlock(const void* owner, FakeBlock* parent, std::string name, std::string path, int kind,
              bool process, bool visibilityRoot)
        : owner_(owner), parent_(parent), name_(std::move(name)), path_(std::move(path)),
          kind_(kind), process_(process), visibilityRoot_(visibilityRoot) {}

    int getObjectKind() const override { return BlockObjectKind; }
    StringBase getPath() const override { return path_; }
    StringBase getName() const override { return name_; }
    IBlock* getParent() const override { return parent_; }
    IBlock* getChild(int index) const override {
        return index >= 0 && index < getChildCount() ? children_[index] : nullptr;
    }
    int getChildCount() const override { return static_cast<int>(children_.size()); }
    IDataObj* getDataObj(int index) const override {
        return index >= 0 && index < getDataObjCount() ? objects_[index] : nullptr;
    }
    int getDataObjCount() const override { return static_cast<int>(objects_.size()); }
    bool isProcess() const override { return process_; }
    int getBlockKind() const override { return kind_; }
    bool isVisibilityRoot() const override { return visibilityRoot_; }

    const void* owner() const { return owner_; }
    FakeBlock* parentBlock() const { return parent_; }
    const std::string& path() const { return path_; }
    bool hasName(const std::string& name) const { return names_.count(name) != 0; }
    FakeBlock* findChild(const std::string& name) const {
        auto found = std::find_if(children_.begin(), children_.end(),
                                  [&](const FakeBlock* child) { return child->name_ == name; });
        return found != children_.end() ? *found : nullptr;
    }
    FakeDataObj* findObject(const std::string& name) const {
        auto found = std::find_if(objects_.begin(), objects_.end(), [&](const FakeDataObj* object) {
            return object->getName().str() == name;
        });
        return found != objects_.end() ? *found : nullptr;
    }
    void addChild(FakeBlock* child) {
        children_.push_back(child);
        names_.insert(child->name_);
    }
    void addObject(FakeDataObj* object) {
        objects_.push_back(object);
        names_.insert(object->getName().str());
    }

private:
    const void* owner_;
    FakeBlock* parent_;
    std::string name_;
    std::string path_;
    int kind_;
    bool process_;
    bool visibilityRoot_;
    std::vector<FakeBlock*> children_;
    std::vector<FakeDataObj*> objects_;
    std::set<std::string> names_;
};

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

struct FakeDataReader::Design {
    std::vector<std::unique_ptr<FakeBlock>> blocks;
    std::vector<std::unique_ptr<FakeDataObj>> objects;
    std::map<int, std::unique_ptr<FakeType>> types;
    std::map<int, std::unique_ptr<FakeObjectClass>> classes;
    std::map<const IObject*, Place> locations;
    std::map<const IBlock*, Place> instantiations;
    FakeBlock* root = nullptr;
    FakeBlock* scope = nullptr;

    // Elements and slices are made on first lookup; lookups are const and may come from
    // several threads.
    std::mutex derivedMutex;
    std::map<std::pair<const IDataObj*, std::string>, std::unique_ptr<FakeDataObj>> derived;

    FakeBlock* ownBlock(const IObject* object) const {
        auto* block = dynamic_cast<const FakeBlock*>(object);
        return block && block->owner() == this ? const_cast<FakeBlock*>(block) : nullptr;
    }
    const FakeDataObj* ownObject(const IObject* object) const {
        auto* dataObj = dynamic_cast<const FakeDataObj*>(object);
        return dataObj && dataObj->owner() == this ? dataObj : nullptr;
    }
    bool owns(const IObject* object) const { return ownBlock(object) || ownObject(object); }

    const IType* type(int typeClassId) {
        auto& slot = types[typeClassId];
        if (!slot)
            slot = std::make_unique<FakeType>(typeClassId);
        return slot.get();
    }
    const IObjectClass* objectClass(int classId) {
        auto& slot = classes[classId];
        if (!slot)
            slot = std::make_unique<FakeObjectClass>(classId);
        return slot.get();
    }

    FakeBlock* resolveBlock(const std::string& path) const {
        if (path.empty())
            return nullptr;
        FakeBlock* block = path[0] == '/' ? root : scope;
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

    const Place* placeOf(const IObject* object) const {
        auto found = locations.find(object);
        if (found != locations.end())
            return &found->second;
        const FakeDataObj* dataObj = ownObject(object);
        return dataObj && dataObj->base() ? placeOf(dataObj->base()) : nullptr;
    }
};

FakeDataReader::FakeDataReader() : design_(std::make_unique<Design>()) {
    design_->blocks.push_back(std::make_unique<FakeBlock>(design_.get(), nullptr, "", "",
                                                          UnknownBlock, false, true));
    design_->root = design_->blocks.back().get();
    design_->scope = design_->root;
}

FakeDataReader::~FakeDataReader() = default;

IBlock* FakeDataReader::addBlock(IBlock* parent, const StringBase& name, int blockKind,
                                 bool isProcess, bool visibilityRoot) {
    FakeBlock* container = parent ? design_->ownBlock(parent) : design_->root;
    if (!container || !isUsableName(name) || container->hasName(name))
        return nullptr;

    // Top-level blocks have no enclosing block: the root only collects them.
    FakeBlock* enclosing = container == design_->root ? nullptr : container;
    design_->blocks.push_back(std::make_unique<FakeBlock>(design_.get(), enclosing, name,
                                                          container->path() + "/" + name.str(),
                                                          blockKind, isProcess, visibilityRoot));
    FakeBlock* block = design_->blocks.back().get();
    container->addChild(block);
    if (container == design_->root && design_->root->getChildCount() == 1 &&
        design_->scope == design_->root)
        design_->scope = block;
    return block;
}

IDataObj* FakeDataReader::addObject(IBlock* parent, const StringBase& name, int classId,
                                    int typeClassId, int objectKind) {
    FakeBlock* container = design_->ownBlock(parent);
    if (!container || !isUsableName(name) || container->hasName(name))
        return nullptr;
    design_->objects.push_back(std::make_unique<FakeDataObj>(
        design_.get(), container, name, container->path() + "/" + name.str(), objectKind,
        design_->type(typeClassId), design_->objectClass(classId), nullptr));
    FakeDataObj* object = design_->objects.back().get();
    container->addObject(object);
    return object;
}

void FakeDataReader::setLocation(const IObject* object, const StringBase& file, int line) {
    if (design_->owns(object))
        design_->locations[object] = Place{file, line};
}

void FakeDataReader::setInstantiation(const IBlock* block, const StringBase& file, int line) {
    if (design_->ownBlock(block))
        design_->instantiations[block] = Place{file, line};
}

IDataObj* FakeDataReader::findDataObj(const StringBase& name) const {
    const std::string& text = name.str();
    if (text.empty())
        return nullptr;

    FakeBlock* block = design_->scope;
    std::string leaf = text;
    const std::size_t separator = lastSeparator(text);
    if (separator != std::string::npos) {
        block = design_->resolveBlock(separator == 0 ? "/" : text.substr(0, separator));
        leaf = text.substr(separator + 1);
    }
    if (!block || leaf.empty())
        return nullptr;
    if (FakeDataObj* declared = block->findObject(leaf))
        return declared;

    const std::size_t suffixBegin = leaf.find_first_of("[(");
    if (suffixBegin == std::string::npos || suffixBegin == 0)
        return nullptr;
    const std::string suffix = leaf.substr(suffixBegin);
    bool isSlice = false;
    const FakeDataObj* base = block->findObject(leaf.substr(0, suffixBegin));
    if (!base || !parseSuffix(suffix, isSlice))
        return nullptr;

    std::lock_guard<std::mutex> lock(design_->derivedMutex);
    auto& slot = design_->derived[{base, suffix}];
    if (!slot)
        slot = std::make_unique<FakeDataObj>(design_.get(), base->getParent(),
                                             base->getName().str() + suffix,
                                             base->getPath().str() + suffix,
                                             isSlice ? SliceObjectKind : ElementObjectKind,
                                             base->getType(), base->getObjectClass(), base);
    return slot.get();
}

IBlock* FakeDataReader::findBlock(const StringBase& path) const {
    return design_->resolveBlock(path.str());
}

StringBase FakeDataReader::getFileName(const IObject* object) const {
    const Place* place = design_->placeOf(object);
    return place ? StringBase(place->file) : StringBase();
}

int FakeDataReader::getLineNumber(const IObject* object) const {
    const Place* place = design_->placeOf(object);
    return place ? place->line : 0;
}

StringBase FakeDataReader::getInstantiationFileName(const IBlock* block) const {
    auto found = design_->instantiations.find(block);
    return found != design_->instantiations.end() ? StringBase(found->second.file) : StringBase();
}

int FakeDataReader::getInstantiationLineNumber(const IBlock* block) const {
    auto found = design_->instantiations.find(block);
    return found != design_->instantiations.end() ? found->second.line : 0;
}

IBlock* FakeDataReader::getDesignRoot() const { return design_->root; }

IBlock* FakeDataReader::getCurrentScope() const { return design_->scope; }

void FakeDataReader::setCurrentScope(IBlock* block) {
    if (FakeBlock* own = design_->ownBlock(block))
        design_->scope = own;
}

} // namespace Tavrin
