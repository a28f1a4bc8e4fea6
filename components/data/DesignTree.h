// The design hierarchy held in memory by the data library's readers: blocks, data objects, their
// types and classes, source places, and the resolution of paths and names against a current
// scope. Internal to the data library; FakeDataReader and DataReader both build on it.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "HdlPath.h"
#include "orvex/IReader.h"

namespace Tavrin {
namespace DesignTreeDetail {

class TreeType : public IType {
public:
    explicit TreeType(int typeClassId) : typeClassId_(typeClassId) {}
    int getTypeClassId() const override { return typeClassId_; }

private:
    int typeClassId_;
};

class TreeObjectClass : public IObjectClass {
public:
    explicit TreeObjectClass(int classId) : classId_(classId) {}
    int getClassId() const override { return classId_; }

private:
    int classId_;
};

/// A declared data object, or an element or slice derived from one (then `base` is set).
class TreeDataObj : public IDataObj {
public:
    TreeDataObj(const void* owner, IBlock* parent, std::string name, std::string path, int kind,
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
    const std::string& name() const { return name_; }
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

class TreeBlock : public IBlock {
public:
    TreeBlock(const void* owner, TreeBlock* parent, std::string name, std::string path, int kind,
              bool process, bool visibilityRoot)
        : owner_(owner), parent_(parent), name_(std::move(name)), path_(std::move(path)),
          kind_(kind), process_(process), visibilityRoot_(visibilityRoot) {}

    int getObjectKind() const override { return BlockObjectKind; }
    StringBase getPath() const override { return path_; }
    StringBase getName() const override { return name_; }
    IBlock* getParent() const override { return parent_; }
    IBlock* getChild(int index) const override;
    int getChildCount() const override { return static_cast<int>(children_.size()); }
    IDataObj* getDataObj(int index) const override;
    int getDataObjCount() const override { return static_cast<int>(objects_.size()); }
    bool isProcess() const override { return process_; }
    int getBlockKind() const override { return kind_; }
    bool isVisibilityRoot() const override { return visibilityRoot_; }

    const void* owner() const { return owner_; }
    TreeBlock* parentBlock() const { return parent_; }
    const std::string& path() const { return path_; }
    bool hasName(const std::string& name) const { return names_.count(name) != 0; }
    TreeBlock* findChild(const std::string& name) const;
    TreeDataObj* findObject(const std::string& name) const;
    void addChild(TreeBlock* child);
    void addObject(TreeDataObj* object);

private:
    const void* owner_;
    TreeBlock* parent_;
    std::string name_;
    std::string path_;
    int kind_;
    bool process_;
    bool visibilityRoot_;
    std::vector<TreeBlock*> children_;
    std::vector<TreeDataObj*> objects_;
    std::set<std::string> names_;
};

} // namespace DesignTreeDetail

/// A design hierarchy that owns every block, object, type and class it hands out, with a current
/// scope. The root has the path "" and only collects the top-level blocks, which have no parent.
/// Names are unique within a block across child blocks and objects. Building is not thread-safe;
/// lookups are const and may run on several threads at once.
class DesignTree {
public:
    DesignTree();
    DesignTree(const DesignTree&) = delete;
    DesignTree& operator=(const DesignTree&) = delete;

    /// Adds a block under `parent` (null: a top-level block); null when the parent is not a block
    /// of this tree or the name is unusable or taken. The first top-level block becomes the
    /// current scope while the scope is still the root.
    IBlock* addBlock(IBlock* parent, const std::string& name, int blockKind, bool isProcess,
                     bool visibilityRoot);
    /// Adds a data object to `parent`; null under the same conditions, and for a null parent.
    IDataObj* addObject(IBlock* parent, const std::string& name, int classId, int typeClassId,
                        int objectKind);
    void setLocation(const IObject* object, const std::string& file, int line);
    void setInstantiation(const IBlock* block, const std::string& file, int line);

    /// A path of the shared grammar (absolute, or relative to the current scope) naming a data
    /// object, optionally with selects; selected elements and slices are derived objects, kept for
    /// later lookups under their canonical path.
    IDataObj* findDataObj(const std::string& name) const;
    /// "/" (the root), an absolute path or one relative to the current scope ("..", "." allowed;
    /// generate scopes such as "g[1]").
    IBlock* findBlock(const std::string& path) const;
    /// An absolute path of a block or data object (suffixes allowed), or null.
    IObject* findObject(const std::string& absolutePath) const;
    /// Whether the object is a block or data object of this tree (derived ones included).
    bool owns(const IObject* object) const;

    std::string fileName(const IObject* object) const;
    int lineNumber(const IObject* object) const;
    std::string instantiationFileName(const IBlock* block) const;
    int instantiationLineNumber(const IBlock* block) const;

    IBlock* root() const { return root_; }
    IBlock* scope() const { return scope_; }
    /// Moves the scope to a block of this tree; false (and no move) for any other pointer.
    bool setScope(IBlock* block);

private:
    // A source place; an empty file means none is known.
    struct Place {
        std::string file;
        int line = 0;
    };

    DesignTreeDetail::TreeBlock* ownBlock(const IObject* object) const;
    const DesignTreeDetail::TreeDataObj* ownObject(const IObject* object) const;
    const IType* type(int typeClassId);
    const IObjectClass* objectClass(int classId);
    Orvex::HdlPath::Resolved<IObject*> resolve(const std::string& text) const;
    const Place* placeOf(const IObject* object) const;

    std::vector<std::unique_ptr<DesignTreeDetail::TreeBlock>> blocks_;
    std::vector<std::unique_ptr<DesignTreeDetail::TreeDataObj>> objects_;
    std::map<int, std::unique_ptr<DesignTreeDetail::TreeType>> types_;
    std::map<int, std::unique_ptr<DesignTreeDetail::TreeObjectClass>> classes_;
    std::map<const IObject*, Place> locations_;
    std::map<const IBlock*, Place> instantiations_;
    DesignTreeDetail::TreeBlock* root_ = nullptr;
    DesignTreeDetail::TreeBlock* scope_ = nullptr;

    // Elements and slices are made on first lookup, from const lookups on any thread.
    mutable std::mutex derivedMutex_;
    mutable std::map<std::pair<const IDataObj*, std::string>,
                     std::unique_ptr<DesignTreeDetail::TreeDataObj>>
        derived_;
};

} // namespace Tavrin
