// FakeDataReader: an elaborated design built in memory, for tests and for hosts that run
// without a simulation engine.
#pragma once

#include <memory>

#include "orvex/IReader.h"
#include "orvex/StringBase.h"

namespace Tavrin {

/// An IReader over a design hierarchy built with addBlock and addObject; it owns every block,
/// data object, type and class it hands out.
///
/// Paths: the root has the path "" and is no top-level block; a top-level block top has the path
/// "/top", its child u1 "/top/u1", an object clk of top "/top/clk". A top-level block has no
/// parent (getParent() is null), so ".." from a top-level scope finds nothing; "/" names the root.
/// Names are unique within a block across child blocks and objects.
class FakeDataReader : public IReader {
public:
    FakeDataReader();
    ~FakeDataReader() override;
    FakeDataReader(const FakeDataReader&) = delete;
    FakeDataReader& operator=(const FakeDataReader&) = delete;

    /// Adds a block under `parent` (null: a top-level block). Returns null when the parent is not
    /// a block of this reader, or the name is empty, contains '/', or is already used in the
    /// parent. The first top-level block becomes the current scope if the scope is still the root.
    IBlock* addBlock(IBlock* parent, const StringBase& name, int blockKind, bool isProcess = false,
                     bool visibilityRoot = true);
    /// Adds a data object of the given ObjectClassId or PortTypeId and ITypeClassId to `parent`.
    /// Returns null under the same conditions as addBlock; a null parent is refused too.
    IDataObj* addObject(IBlock* parent, const StringBase& name, int classId, int typeClassId,
                        int objectKind = ScalarObjectKind);
    /// Sets the declaration place of a block or object of this reader (others are ignored).
    void setLocation(const IObject* object, const StringBase& file, int line);
    /// Sets where an instance is instantiated (blocks of other readers are ignored).
    void setInstantiation(const IBlock* block, const StringBase& file, int line);

    /// Accepts a name of the current scope, an absolute path "/top/u1/x" or a relative one
    /// "u1/x", each optionally followed by index or slice suffixes ("mem[3]", "bus(7:0)",
    /// "v(7 downto 0)", "m(1,3,5)(1:10)"). A suffixed name gives a derived object of kind
    /// ElementObjectKind (the last suffix is an index) or SliceObjectKind (it is a range), kept
    /// by the reader so that the same text always gives the same object.
    IDataObj* findDataObj(const StringBase& name) const override;
    /// Accepts "/" (the root), an absolute path, or a path relative to the current scope whose
    /// components may be ".." (the parent) and "." (the same block).
    IBlock* findBlock(const StringBase& path) const override;
    /// Derived objects without a place of their own report the place of their base object.
    StringBase getFileName(const IObject* object) const override;
    int getLineNumber(const IObject* object) const override;
    StringBase getInstantiationFileName(const IBlock* block) const override;
    int getInstantiationLineNumber(const IBlock* block) const override;
    IBlock* getDesignRoot() const override;
    IBlock* getCurrentScope() const override;
    /// Moves the scope to a block of this reader; null and other readers' blocks are ignored.
    void setCurrentScope(IBlock* block) override;

private:
    struct Design;
    std::unique_ptr<Design> design_;
};

} // namespace Tavrin
