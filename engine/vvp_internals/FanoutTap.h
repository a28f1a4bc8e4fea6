// Value taps: a node of our own linked at the head of a signal's fan-out inside vvp, so each new
// value of the signal arrives as vvp's own vector, without a VPI callback or a value conversion.
// The tap compares words and tells its listener only about real changes. GPL-2.0-or-later: see
// NOTICE in this folder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <vpi_user.h>

#include "VcdFormat.h"
#include "VvpNet.h"

namespace OrvexEngine {
namespace VvpInternals {

class Tap;

/// Told about each change of a tapped signal, during vvp's propagation of the value: it must
/// not run simulation code or add or remove taps of the signal being propagated.
class TapListener {
public:
    /// For a first-change-only listener: the first change in a step, before the tap takes the
    /// new value (`tap` still holds the old one).
    virtual void tapChanging(Tap& tap, std::uint64_t now) = 0;
    /// For any other listener: each change, after the tap took it.
    virtual void tapChanged(Tap& tap, std::uint64_t now) = 0;
    /// True when only the first change of each time step matters (and then the latest value):
    /// the tap calls tapChanging once per step, until Tap::renotify(), and never tapChanged.
    /// Asked once, when the tap is attached. Such a tap changed many times in a step leaves the
    /// fan-out until the step ends, so a loop's variables soon cost nothing more; its value is
    /// then read back when the step ends or when it is asked for.
    virtual bool firstChangeOnly() const { return false; }

protected:
    ~TapListener() = default;
};

class alignas(64) Tap final : public Functor {
public:
    std::size_t id() const { return id_; }
    int width() const { return width_; }
    bool isReal() const { return real_; }
    /// The latest value, in VPI's vector layout (a word pair per 32 bits), bits above the width 0.
    const VecWord* words() {
        if (resting_) wake();
        if (rawPending_) decodePending();
        return wordData();
    }
    double realValue() {
        if (resting_) wake();
        return realValue_;
    }

    void recvVec4(const void* port, const Vector4& bits, void* context) override;
    void recvVec8(const void* port, const Vector8& bits) override;
    void recvReal(const void* port, double value, void* context) override;
    void recvLong(const void* port, long value) override;
    void recvString(const void* port, const void* text, void* context) override;
    void recvObject(const void* port, const void* object, void* context) override;
    void recvVec4Part(const void* port, const Vector4& bits, unsigned base, unsigned width, unsigned vectorWidth,
                      void* context) override;
    void recvVec8Part(const void* port, const Vector8& bits, unsigned base, unsigned width,
                      unsigned vectorWidth) override;
    void recvLongPart(const void* port, long value, unsigned base, unsigned width) override;
    void forceFlag(bool) override {}
    /// For a first-change-only listener: the next change is told even within the step of the last.
    void renotify() {
        notedStep_ = NoStep;
        if (resting_) wake();
    }

private:
    friend Tap* attachTap(vpiHandle, TapListener*, std::size_t);
    friend void detachTap(Tap*);
    Tap() = default;
    /// The whole value, or `width` bits of it from `base`, as vvp's a and b words.
    void takeWhole(const std::uint64_t* a, const std::uint64_t* b);
    /// A changed value of a vector of up to 64 bits, off the short path (kept out of line so that
    /// path needs no stack frame).
    __attribute__((noinline)) void takeSmall(std::uint64_t aval, std::uint64_t bval);
    void takePart(const std::uint64_t* a, const std::uint64_t* b, unsigned base, unsigned width);
    /// Strength bytes as a and b words in `strengthA_`, `strengthB_`; false when they are not
    /// (yet) trusted to give what VPI gives.
    bool decode(const Vector8& bits);
    /// Anything else: the signal's value, already updated by its filter, is read back through VPI.
    void readBack();
    void take(const VecWord* fresh);
    /// The mask of the bits of value word `word` below the width.
    std::uint32_t usedBits(std::size_t word) const;
    /// vvp's a and b words as value words in `out`, bits above the width 0.
    void toWords(const std::uint64_t* a, const std::uint64_t* b, VecWord* out) const;
    /// A change after the one told this step: out of the fan-out until the step ends.
    void rest();
    /// Back into the fan-out, with the value read back silently.
    void wake();
    friend void wakeResting();
    /// The strength bytes kept in `raw_` made the value (see raw_).
    void decodePending();

    static constexpr std::uint64_t NoStep = ~std::uint64_t(0);
    static Tap* create();
    /// The latest value's words: in the tap itself up to 64 bits.
    VecWord* wordData() { return width_ <= 64 ? inline_ : wide_.data(); }
    std::size_t wordCount() const { return static_cast<std::size_t>(width_ + 31) / 32; }

    // Laid out for the cache: vvp reads the first line (the vtable pointer and `node_`) to pass a
    // value on, and a change of up to 64 bits needs only the second.
    NetNode node_{};             // our place in the fan-out list (port 0 threads it)
    TapListener* listener_ = nullptr;
    VecWord inline_[2]{};        // the value of up to 64 bits
    std::uint64_t mask_ = 0;     // its bits, for a vector of up to 64 bits
    std::uint64_t notedStep_ = NoStep; // the step whose first change the listener was told of
    std::uint32_t id_ = 0;
    int width_ = 1;
    unsigned repeats_ = 0;   // changes since, in that step
    unsigned restAfter_ = 0; // so many and the tap rests: about what reading the value back costs
    bool small_ = false;     // a vector of up to 64 bits: one vvp word, compared in place
    bool firstChangeOnly_ = false;
    bool resting_ = false;   // out of the fan-out for the rest of the step (see rest())
    bool rawPending_ = false;
    bool rawValid_ = false;
    bool real_ = false;

    NetNode* source_ = nullptr;  // the signal's node
    vpiHandle handle_ = nullptr;
    double realValue_ = 0;
    std::vector<VecWord> wide_;  // the value of more than 64 bits
    std::vector<VecWord> fresh_;
    std::vector<std::uint64_t> strengthA_, strengthB_;
    // The strength bytes of the last whole value received (strength-aware signals): vvp passes
    // such values on even when unchanged, and an unchanged value is told apart by its bytes
    // without decoding them. For a first-change-only listener told already this step, a change
    // is only kept here (`rawPending_`) and decoded when the value is read: cheaper than resting
    // for wide strength values, which cost much to read back.
    std::vector<unsigned char> raw_;
};

/// Checks vvp's symbols and vtable layout once; false with `why` when taps cannot be used.
bool startTaps(std::string& why);
bool tapsStarted();
/// A tap on `signal` (a net, variable or real variable), or nullptr when the handle is not one
/// whose node checks out (array words of variables, named events ...): use VPI then.
Tap* attachTap(vpiHandle signal, TapListener* listener, std::size_t id);
/// Unlinks the tap. Its memory is kept: a propagation under way may still step through it.
void detachTap(Tap* tap);
/// Puts the resting taps back into their fan-out lists, their values read back (at the end of
/// each step in which one rested).
void wakeResting();
/// vvp's current simulation time, in ticks.
std::uint64_t tapTime();

} // namespace VvpInternals
} // namespace OrvexEngine
