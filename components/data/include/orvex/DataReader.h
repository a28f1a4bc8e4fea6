// DataReader: the design-data reader of a live engine (or of a saved waveform database), and the
// manager of its captured live values.
#pragma once

#include <atomic>
#include <memory>

#include "orvex/IReader.h"
#include "orvex/StringBase.h"

namespace Tavrin {

class DesignTree;

/// Records whether values of live data objects are being captured; simulation events switch
/// capture off when the simulation pauses and on when it runs again.
class LiveDataObjMgr : public DataObjMgr {
public:
    void captureLiveData(bool on) override { capturing_ = on; }
    bool isCapturing() const { return capturing_; }

private:
    std::atomic<bool> capturing_{false};
};

/// An IReader over the design hierarchy of a simulation. The engine control fills it through
/// the building operations when the engine reports ready, before anyone reads it; a reader of a
/// saved database is filled the same way by whoever reads the database's header (this library
/// does not read waveform databases).
///
/// Paths are as the engine writes them: the root has the path "" and collects the top-level
/// blocks ("/top"), which have no parent; objects are "/top/u1/q", optionally with index or slice
/// suffixes ("/top/mem[3]", "/top/bus[7:0]"). The first top-level block is the initial scope.
class DataReader : public IReader {
public:
    /// Reader modes: a live engine whose values are captured, a saved database, a live engine
    /// without capture.
    enum Mode { LiveCaptureMode = 0, SavedDatabaseMode = 1, LiveMode = 2 };

    /// `engineDirectory` is where the engine program lives and `databaseFile` the waveform
    /// database the simulation writes (or, in SavedDatabaseMode, reads); both may be empty.
    DataReader(int mode, const StringBase& engineDirectory, const StringBase& databaseFile,
               int runNumber);
    ~DataReader() override;
    DataReader(const DataReader&) = delete;
    DataReader& operator=(const DataReader&) = delete;

    int getMode() const { return mode_; }
    const StringBase& getEngineDirectory() const { return engineDirectory_; }
    const StringBase& getDatabaseFile() const { return databaseFile_; }
    int getRunNumber() const { return runNumber_; }

    // Building. Not thread-safe: done before the reader is handed out.
    /// Drops the whole hierarchy; every block and object handed out before becomes invalid.
    void clear();
    /// Adds a block under `parent` (null: a top-level block); null when the parent is not a
    /// block of this reader or the name is empty, "." or "..", contains '/', or is taken.
    IBlock* addBlock(IBlock* parent, const StringBase& name, int blockKind, bool isProcess,
                     bool visibilityRoot);
    /// Adds a data object (an ObjectClassId or PortTypeId, an ITypeClassId and an ObjectKind);
    /// null under the same conditions as addBlock, and for a null parent.
    IDataObj* addObject(IBlock* parent, const StringBase& name, int classId, int typeClassId,
                        int objectKind);
    void setLocation(const IObject* object, const StringBase& file, int line);
    void setInstantiation(const IBlock* block, const StringBase& file, int line);

    /// The block or data object at an absolute path (suffixes allowed), or null.
    IObject* findObject(const StringBase& absolutePath) const;
    /// Whether the object belongs to this reader's current hierarchy.
    bool contains(const IObject* object) const;

    IDataObj* findDataObj(const StringBase& name) const override;
    IBlock* findBlock(const StringBase& path) const override;
    StringBase getFileName(const IObject* object) const override;
    int getLineNumber(const IObject* object) const override;
    StringBase getInstantiationFileName(const IBlock* block) const override;
    int getInstantiationLineNumber(const IBlock* block) const override;
    IBlock* getDesignRoot() const override;
    IBlock* getCurrentScope() const override;
    /// Moves the scope to a block of this reader; null and foreign blocks are ignored.
    void setCurrentScope(IBlock* block) override;
    /// The live-value manager (a LiveDataObjMgr), present in every mode.
    DataObjMgr* getDataObjMgr() const override;

private:
    int mode_;
    StringBase engineDirectory_;
    StringBase databaseFile_;
    int runNumber_;
    std::unique_ptr<DesignTree> design_;
    mutable LiveDataObjMgr dataObjMgr_;
};

} // namespace Tavrin
