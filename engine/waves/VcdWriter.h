// A Value Change Dump writer. Nets and variables are followed by value taps in vvp's fan-out
// when those are active: a tap keeps the latest value, and a time step's changes are written when
// the first change of a later step arrives (or at a pause, off or close), with no callback per
// step. Otherwise, and for events and array words, cbValueChange callbacks mark the changed
// variables and their settled values are read once per time step from a read-only-synch
// callback. Everything goes through a large buffer that reaches the file in big writes.
//
// Two modes:
//  - Streaming (the VCD file): the header and the initial $dumpvars section are written once the
//    simulation moves on from the time the variables were chosen; variables cannot be added after.
//  - Assembled (the waveform database): objects may be added at any time. The header with every
//    variable ever selected leads the file and is rewritten in its room when variables are added
//    (WaveDatabaseFile); the value changes are appended, and at every pause the file is brought up
//    to date and ends with the current time, so it can be read whenever the simulation stops.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include <vpi_user.h>

#include "WaveDatabaseFile.h"
#include "vvp_internals/FanoutTap.h"

namespace OrvexEngine {

class VcdWriter : private VvpInternals::TapListener {
public:
    enum class Mode { Streaming, Assembled };

    /// `what` names the writer in error messages ("vcd", "ntrace").
    VcdWriter(const char* what, Mode mode, std::string fileName);
    ~VcdWriter();
    VcdWriter(const VcdWriter&) = delete;
    VcdWriter& operator=(const VcdWriter&) = delete;

    /// Names the output file; refused once writing has begun.
    void setFileName(const std::string& name);
    const std::string& fileName() const { return fileName_; }
    /// The paths of the objects followed now, in the order they were selected.
    std::vector<std::string> selectedPaths() const;

    /// Selects the objects of a scope and of `levels` levels of scopes (the scope itself is level
    /// 1; 0 means all below). Unpacked arrays are left out unless `arrayLimit` is not negative,
    /// in which case arrays of up to that many words are selected word by word and the paths of
    /// larger ones are added to `refused`.
    void selectScope(vpiHandle scope, int levels, std::int64_t arrayLimit, std::vector<std::string>* refused);
    /// Selects one object (an array's words when it is an array).
    void selectObject(vpiHandle object);
    /// Stops following an object, or every object of a scope (and of all below when `all`).
    void deselectObject(vpiHandle object);
    void deselectScope(vpiHandle scope, bool all);
    std::size_t selectedCount() const { return byName_.size(); }

    /// Streaming: the $dumpvars of the selection (dumping is on). Assembled: starts or resumes.
    void start();
    /// $dumpoff: every variable becomes x until on(); assembled files are written out.
    void off();
    /// $dumpon: the current values, and changes from now on.
    void on();
    bool isOn() const { return enabled_; }
    /// Writes everything buffered to the file; an assembled file then ends with the current time.
    void flush();
    /// Stops writing value changes once the file holds this many bytes (0: no limit).
    void setLimit(std::uint64_t bytes) { limit_ = bytes; }
    /// Writes the final time and closes the file; the writer can then be used again.
    void close();

    /// Called by VPI callbacks.
    void markChanged(std::size_t var);
    void endOfTimeStep();
    /// Called by the value taps.
    void tapChanging(VvpInternals::Tap& tap, std::uint64_t now) override;
    void tapChanged(VvpInternals::Tap&, std::uint64_t) override {}
    bool firstChangeOnly() const override { return true; }

    struct Var;

private:
    struct ScopeNode;

    void addVar(vpiHandle object);
    void selectRecursive(vpiHandle scope, int levels, std::int64_t arrayLimit, std::vector<std::string>* refused);
    void follow(Var& var);
    void unfollow(Var& var);
    void openOutput();
    void commit();
    void writeHeader(std::string& out) const;
    void writeTime(std::uint64_t ticks);
    void writeValue(const Var& var);
    void writeX(const Var& var);
    void writeAllValues(const char* section);
    void writeChanges();
    /// Forgets the changes noted (a tapped variable is then told of its next change again).
    void clearDirty();
    void scheduleEndOfStep();
    /// Marks a variable changed during the time step `now`.
    void noteChange(std::size_t var, std::uint64_t now);
    /// Writes the changes of an earlier time step than `now`.
    void settleBefore(std::uint64_t now);
    void drain();
    void fail(const std::string& message) const;
    bool outputOpen() const { return mode_ == Mode::Streaming ? fd_ >= 0 : database_.isOpen(); }
    void databaseFailed(const std::string& reason);

    const char* what_;
    Mode mode_;
    std::string fileName_;
    std::vector<std::unique_ptr<Var>> vars_;
    std::unordered_map<std::string, std::size_t> byName_;
    std::unordered_map<int, std::size_t> byNexus_;
    std::uint64_t codes_ = 0;
    std::vector<std::size_t> dirty_;
    std::uint64_t dirtyTime_ = 0; // the time step of the changes in dirty_
    std::string buffer_;
    int fd_ = -1;               // the VCD file (streaming)
    WaveDatabaseFile database_; // the database (assembled)
    bool headerStale_ = false;  // assembled: variables were added since the header was written
    std::uint64_t bytes_ = 0;
    std::uint64_t limit_ = 0;
    std::uint64_t selectedAt_ = 0;
    std::uint64_t lastTime_ = 0;
    bool timeWritten_ = false;
    bool committed_ = false;
    bool enabled_ = true;
    bool limitReached_ = false;
    bool stepScheduled_ = false;
};

} // namespace OrvexEngine
