// The design-data interfaces: blocks, data objects and their types, read through IReader. All
// objects belong to the data library; callers never free them.
#pragma once

#include "orvex/StringBase.h"

namespace Tavrin {

class IBlock;

/// Kinds returned by IObject::getObjectKind.
enum ObjectKind {
    ScalarObjectKind = 0,  // one-bit or scalar-typed object
    VectorObjectKind = 1,  // packed vector
    ArrayObjectKind = 2,   // memory / unpacked array
    ElementObjectKind = 3, // indexed element or bit of an object
    SliceObjectKind = 4,   // array slice
    BlockObjectKind = 5    // a design block (instance, process, task ...)
};

/// Kinds of design blocks (IBlock::getBlockKind).
enum BlockKind {
    UnknownBlock = 0,
    VhdlInstance = 1,
    VhdlPackage = 2,
    VhdlInternalBlock = 3,
    VhdlProcess = 4,
    VerilogInstance = 5,
    VerilogInternalBlock = 6,
    VerilogTask = 7,
    VerilogProcess = 9
};

/// Port directions; these values are also the object class ids of ports.
enum PortTypeId {
    PortIn = 0x1011,
    PortOut = 0x2011,
    PortInout = 0x4011,
    PortBuffer = 0x8011,
    PortLinkage = 0x10011
};

/// Classes of data objects that are not ports.
enum ObjectClassId {
    SignalClass = 0x1021,
    VariableClass = 0x2021,
    ConstantClass = 0x3021,
    ParameterClass = 0x4021,
    GenericClass = 0x5021,
    EventClass = 0x8021
};

/// Type class ids (IType::getTypeClassId); objects of the hidden class are never listed.
enum ITypeClassId {
    LogicTypeClass = 0x100001,
    IntegerTypeClass = 0x100002,
    RealTypeClass = 0x100003,
    StringTypeClass = 0x100004,
    ArrayTypeClass = 0x100005,
    HiddenTypeClass = 0x100011
};

/// Anything in the design hierarchy: a block or a data object.
class IObject {
public:
    virtual ~IObject() = default;
    virtual int getObjectKind() const = 0;
    virtual StringBase getPath() const = 0;
    virtual StringBase getName() const = 0;
    virtual IBlock* getParent() const = 0;
};

/// A block of the hierarchy: instance, process, named block, task or function.
class IBlock : public IObject {
public:
    virtual IBlock* getChild(int index) const = 0;
    virtual int getChildCount() const = 0;
    virtual class IDataObj* getDataObj(int index) const = 0;
    virtual int getDataObjCount() const = 0;
    virtual bool isProcess() const = 0;
    virtual int getBlockKind() const = 0;
    virtual bool isVisibilityRoot() const = 0;
};

/// The type of a data object.
class IType {
public:
    virtual ~IType() = default;
    virtual int getTypeClassId() const = 0;
    bool isInstanceOf(int typeClassId) const { return getTypeClassId() == typeClassId; }
};

/// The class of a data object: a port direction or one of ObjectClassId.
class IObjectClass {
public:
    virtual ~IObjectClass() = default;
    virtual int getClassId() const = 0;
};

/// A net, reg, variable, constant, parameter or port.
class IDataObj : public IObject {
public:
    virtual void getDisplayName(StringBase& name) const = 0;
    virtual const IType* getType() const = 0;
    virtual const IObjectClass* getObjectClass() const = 0;
};

class DataObjMgr;

/// Reads the elaborated design. Names are resolved against the current scope.
class IReader {
public:
    virtual ~IReader() = default;
    /// The object named by `name` in the current scope (index and slice suffixes allowed), or null.
    virtual IDataObj* findDataObj(const StringBase& name) const = 0;
    /// The block at an absolute path, a path relative to the current scope, or "..", or null.
    virtual IBlock* findBlock(const StringBase& path) const = 0;
    virtual StringBase getFileName(const IObject* object) const = 0;
    virtual int getLineNumber(const IObject* object) const = 0;
    virtual StringBase getInstantiationFileName(const IBlock* block) const = 0;
    virtual int getInstantiationLineNumber(const IBlock* block) const = 0;
    /// The root of the hierarchy; its children are the design's top-level blocks.
    virtual IBlock* getDesignRoot() const = 0;
    /// The scope names are resolved against, and the way the engine control moves it.
    virtual IBlock* getCurrentScope() const = 0;
    virtual void setCurrentScope(IBlock* block) = 0;
    /// The manager of captured live values, or null when the reader has none.
    virtual DataObjMgr* getDataObjMgr() const { return nullptr; }
};

/// Keeps captured values of live data objects; capture is switched by simulation events.
class DataObjMgr {
public:
    virtual ~DataObjMgr() = default;
    virtual void captureLiveData(bool on) = 0;
};

} // namespace Tavrin
