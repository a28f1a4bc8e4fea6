// Value taps linked into vvp 11.0's fan-out lists (vvp/vvp_net.cc: vvp_net_t::link and unlink
// thread the list through the receivers' input ports). GPL-2.0-or-later: see NOTICE in this folder.
#include "FanoutTap.h"

#include "Callbacks.h"
#include "Strengths.h"

#include <dlfcn.h>

#include <cstring>
#include <initializer_list>
#include <new>

namespace OrvexEngine {
namespace VvpInternals {

namespace {

std::uint64_t (*simulationTimeCall)() = nullptr;
// vvp's time word itself, read where its accessor is the one-load function it is in 11.0: a tap
// reads the time on every change, and a call there costs a fifth of the tap.
const std::uint64_t* simulationTimeWord = nullptr;

inline std::uint64_t simulationTime() {
    return simulationTimeWord ? *simulationTimeWord : simulationTimeCall();
}

// `mov disp32(%rip), %rax; ret`: the address of the word the function returns, or nullptr.
const std::uint64_t* loadedWord(const void* function) {
    const auto* code = static_cast<const unsigned char*>(function);
    static const unsigned char prefix[] = {0x48, 0x8b, 0x05};
    if (std::memcmp(code, prefix, sizeof prefix) != 0 || code[7] != 0xc3) return nullptr;
    std::int32_t displacement;
    std::memcpy(&displacement, code + 3, sizeof displacement);
    return reinterpret_cast<const std::uint64_t*>(code + 7 + displacement);
}
bool started = false;

const void* decConstVtable = nullptr;
const void* realVarVtable = nullptr;
const void* wireRealVtable = nullptr;
std::vector<const void*> signalVtables; // the __vpiSignal kinds: nets, regs, integers ...
std::vector<const void*> wireVtables;   // the filters of 4-state and strength-aware signals

// The address a vtable symbol's objects point at: past the offset-to-top and type-info words.
const void* addressPoint(void* symbol) {
    return symbol ? static_cast<const char*>(symbol) + 2 * sizeof(void*) : nullptr;
}

const void* vtableOf(const void* object) { return *static_cast<const void* const*>(object); }

template <typename T> T at(const void* object, std::size_t offset) {
    T value;
    std::memcpy(&value, static_cast<const char*>(object) + offset, sizeof value);
    return value;
}

bool oneOf(const void* vtable, const std::vector<const void*>& known) {
    for (const void* v : known)
        if (v == vtable) return true;
    return false;
}

const NetPtr NoPort = 0;

// Decoded strength values are compared with VPI's reading this many times before they are
// trusted without it.
int strengthChecks = 64;
bool strengthsTrusted = true;


// Taps out of the fan-out until the current step ends (Tap::rest), and whether the end of the
// step is already asked for.
std::vector<Tap*> resting;
bool wakeScheduled = false;

PLI_INT32 stepEnded(p_cb_data) {
    wakeScheduled = false;
    wakeResting();
    return 0;
}

// Takes `self` out of the fan-out list starting at `source->out`; its own link stays, for a
// propagation that reached it still walks on to the rest.
void unlink(NetNode* source, NetPtr self, NetPtr next) {
    if (source->out == self) {
        source->out = next;
        return;
    }
    for (NetPtr cur = source->out; cur != NoPort;) {
        NetPtr& link = nodeOf(cur)->port[portOf(cur)];
        if (link == self) {
            link = next;
            return;
        }
        cur = link;
    }
}

std::vector<Tap*>& retired() {
    static auto* taps = new std::vector<Tap*>; // kept for the whole run, never freed
    return *taps;
}

} // namespace

bool startTaps(std::string& why) {
    if (started) return true;
    void* self = dlopen(nullptr, RTLD_NOW);
    auto find = [self](const char* name) { return self ? dlsym(self, name) : nullptr; };
    simulationTimeCall = reinterpret_cast<std::uint64_t (*)()>(find("_Z16schedule_simtimev"));
    if (!simulationTimeCall) {
        why = "no schedule_simtime";
        return false;
    }
    decConstVtable = addressPoint(find("_ZTV13__vpiDecConst"));
    realVarVtable = addressPoint(find("_ZTV12__vpiRealVar"));
    wireRealVtable = addressPoint(find("_ZTV13vvp_wire_real"));
    if (!decConstVtable || !realVarVtable || !wireRealVtable) {
        why = "vpi handle classes not found";
        return false;
    }
    signalVtables.clear();
    for (const char* name : {"_ZTV10signal_reg", "_ZTV10signal_net", "_ZTV14signal_integer", "_ZTV10signal_int",
                             "_ZTV11signal_byte", "_ZTV13signal_bitvar", "_ZTV15signal_shortint",
                             "_ZTV14signal_longint"})
        if (const void* v = addressPoint(find(name))) signalVtables.push_back(v);
    wireVtables.clear();
    for (const char* name : {"_ZTV13vvp_wire_vec4", "_ZTV13vvp_wire_vec8"})
        if (const void* v = addressPoint(find(name))) wireVtables.push_back(v);
    if (signalVtables.size() != 8 || wireVtables.size() != 2) {
        why = "signal classes not found";
        return false;
    }
    // vvp_net_fun_t's vtable must hold its own methods in the order Functor declares them.
    const char* const slots[FunctorSlots] = {
        "_ZN13vvp_net_fun_tD1Ev",
        "_ZN13vvp_net_fun_tD0Ev",
        "_ZN13vvp_net_fun_t9recv_vec4E17vvp_sub_pointer_tI9vvp_net_tERK13vvp_vector4_tPPv",
        "_ZN13vvp_net_fun_t9recv_vec8E17vvp_sub_pointer_tI9vvp_net_tERK13vvp_vector8_t",
        "_ZN13vvp_net_fun_t9recv_realE17vvp_sub_pointer_tI9vvp_net_tEdPPv",
        "_ZN13vvp_net_fun_t9recv_longE17vvp_sub_pointer_tI9vvp_net_tEl",
        "_ZN13vvp_net_fun_t11recv_stringE17vvp_sub_pointer_tI9vvp_net_tERKNSt7__cxx1112basic_stringIcSt11char_"
        "traitsIcESaIcEEEPPv",
        "_ZN13vvp_net_fun_t11recv_objectE17vvp_sub_pointer_tI9vvp_net_tE12vvp_object_tPPv",
        "_ZN13vvp_net_fun_t12recv_vec4_pvE17vvp_sub_pointer_tI9vvp_net_tERK13vvp_vector4_tjjjPPv",
        "_ZN13vvp_net_fun_t12recv_vec8_pvE17vvp_sub_pointer_tI9vvp_net_tERK13vvp_vector8_tjjj",
        "_ZN13vvp_net_fun_t12recv_long_pvE17vvp_sub_pointer_tI9vvp_net_tEljj",
        "_ZN13vvp_net_fun_t10force_flagEb",
    };
    const auto* functorVtable = static_cast<void* const*>(addressPoint(find("_ZTV13vvp_net_fun_t")));
    if (!functorVtable) {
        why = "vvp_net_fun_t not found";
        return false;
    }
    for (unsigned i = 0; i < FunctorSlots; ++i) {
        void* method = find(slots[i]);
        if (!method || functorVtable[i] != method) {
            why = "vvp_net_fun_t slot " + std::to_string(i) + " differs";
            return false;
        }
    }
    simulationTimeWord = loadedWord(reinterpret_cast<const void*>(simulationTimeCall));
    if (simulationTimeWord && *simulationTimeWord != simulationTimeCall()) simulationTimeWord = nullptr;
    started = true;
    return true;
}

bool tapsStarted() { return started; }

std::uint64_t tapTime() { return simulationTime(); }

Tap* attachTap(vpiHandle signal, TapListener* listener, std::size_t id) {
    if (!started || !signal) return nullptr;
    const void* kind = vtableOf(signal);
    NetNode* node = nullptr;
    bool real = false;
    if (oneOf(kind, signalVtables)) {
        if (vtableOf(static_cast<const char*>(static_cast<const void*>(signal)) + SignalMsbOffset) != decConstVtable ||
            vtableOf(static_cast<const char*>(static_cast<const void*>(signal)) + SignalLsbOffset) != decConstVtable)
            return nullptr;
        node = at<NetNode*>(signal, SignalNodeOffset);
        if (!node || !node->fil || !oneOf(vtableOf(node->fil), wireVtables)) return nullptr;
    } else if (kind == realVarVtable) {
        node = at<NetNode*>(signal, RealVarNodeOffset);
        if (!node || !node->fil || vtableOf(node->fil) != wireRealVtable) return nullptr;
        real = true;
    } else {
        return nullptr;
    }
    const int width = real ? 1 : vpi_get(vpiSize, signal);
    if (width < 1) return nullptr;

    Tap* tap = Tap::create();
    tap->source_ = node;
    tap->handle_ = signal;
    tap->id_ = static_cast<std::uint32_t>(id);
    tap->width_ = width;
    tap->real_ = real;
    if (width > 64) tap->wide_.assign(static_cast<std::size_t>(width + 31) / 32, VecWord{0, 0});
    tap->small_ = !real && width <= 64;
    tap->mask_ = width >= 64 ? ~std::uint64_t(0) : (std::uint64_t(1) << width) - 1;
    tap->readBack(); // the value now, silently: no listener yet
    tap->firstChangeOnly_ = listener && listener->firstChangeOnly();
    // Reading a value back through VPI costs about what a few dozen changes cost per bit.
    tap->restAfter_ = 16 + static_cast<unsigned>(width);
    tap->listener_ = listener;
    tap->node_.fun = tap;
    tap->node_.port[0] = node->out;
    node->out = reinterpret_cast<NetPtr>(&tap->node_);
    return tap;
}

Tap* Tap::create() {
    // Taps are never freed (see detachTap), so they are carved from blocks in the order they
    // are attached: the taps of signals that change together share pages, and each starts a
    // cache line.
    static constexpr std::size_t PerBlock = 64;
    static char* next = nullptr;
    static std::size_t left = 0;
    if (left == 0) {
        next = static_cast<char*>(::operator new(sizeof(Tap) * PerBlock, std::align_val_t(alignof(Tap))));
        left = PerBlock;
    }
    Tap* tap = new (next) Tap;
    next += sizeof(Tap);
    --left;
    return tap;
}

void detachTap(Tap* tap) {
    if (!tap || !tap->listener_) return;
    if (!tap->resting_) unlink(tap->source_, reinterpret_cast<NetPtr>(&tap->node_), tap->node_.port[0]);
    tap->resting_ = false; // dropped from `resting` when the step ends
    tap->listener_ = nullptr;
    retired().push_back(tap);
}

void Tap::rest() {
    if (resting_) return;
    unlink(source_, reinterpret_cast<NetPtr>(&node_), node_.port[0]);
    resting_ = true;
    rawValid_ = false;
    resting.push_back(this);
    if (wakeScheduled) return;
    wakeScheduled = OrvexEngine::atCurrentTime(cbReadOnlySynch, stepEnded);
}

void Tap::wake() {
    resting_ = false;
    node_.port[0] = source_->out;
    source_->out = reinterpret_cast<NetPtr>(&node_);
    TapListener* listener = listener_;
    listener_ = nullptr; // silently: the listener was told of this step's change already
    readBack();
    listener_ = listener;
}

void wakeResting() {
    // A tap woken early (its value asked for) or detached is no longer resting.
    std::vector<Tap*> taps;
    taps.swap(resting);
    for (Tap* tap : taps)
        if (tap->resting_) tap->wake();
}

std::uint32_t Tap::usedBits(std::size_t word) const {
    const int used = width_ - static_cast<int>(word) * 32;
    return used >= 32 ? ~std::uint32_t(0) : (std::uint32_t(1) << used) - 1;
}

void Tap::take(const VecWord* fresh) {
    // Most changes are a word or two: copied in place rather than through a library call.
    const std::size_t count = wordCount();
    VecWord* const words = wordData();
    rawValid_ = false;
    if (listener_ && firstChangeOnly_) {
        // A loop changes its variables many times a step; only the first change is news.
        const std::uint64_t now = simulationTime();
        if (now == notedStep_ && ++repeats_ >= restAfter_) return rest();
        if (now != notedStep_) {
            listener_->tapChanging(*this, now);
            notedStep_ = now;
            repeats_ = 0;
        }
    }
    for (std::size_t i = 0; i < count; ++i) words[i] = fresh[i];
    if (listener_ && !firstChangeOnly_) listener_->tapChanged(*this, simulationTime());
}

void Tap::recvVec4(const void*, const Vector4& bits, void*) {
    if (!listener_) return;
    if (small_ && bits.size == static_cast<unsigned>(width_) && !rawPending_) {
        // The common case, kept short: it runs for every change of every tapped variable.
        const std::uint64_t aval = bits.aValue & mask_, bval = bits.bValue & mask_;
        VecWord* const w = wordData();
        const VecWord low{static_cast<std::uint32_t>(aval), static_cast<std::uint32_t>(bval)};
        const VecWord high{static_cast<std::uint32_t>(aval >> 32), static_cast<std::uint32_t>(bval >> 32)};
        const bool wide = width_ > 32;
        if (low.aval == w[0].aval && low.bval == w[0].bval &&
            (!wide || (high.aval == w[1].aval && high.bval == w[1].bval)))
            return;
        if (firstChangeOnly_ && simulationTimeWord && *simulationTimeWord == notedStep_ && repeats_ + 1 < restAfter_) {
            ++repeats_;
            w[0] = low;
            if (wide) w[1] = high;
            rawValid_ = false;
            return;
        }
        return takeSmall(aval, bval);
    }
    if (real_ || bits.size != static_cast<unsigned>(width_)) return readBack();
    takeWhole(bits.a(), bits.b());
}

void Tap::takeSmall(std::uint64_t aval, std::uint64_t bval) {
    if (!firstChangeOnly_) {
        // A listener of every change (SAIF): the words are kept in the tap itself.
        inline_[0] = VecWord{static_cast<std::uint32_t>(aval), static_cast<std::uint32_t>(bval)};
        inline_[1] = VecWord{static_cast<std::uint32_t>(aval >> 32), static_cast<std::uint32_t>(bval >> 32)};
        rawValid_ = false;
        return listener_->tapChanged(*this, simulationTime());
    }
    const VecWord fresh[2] = {{static_cast<std::uint32_t>(aval), static_cast<std::uint32_t>(bval)},
                              {static_cast<std::uint32_t>(aval >> 32), static_cast<std::uint32_t>(bval >> 32)}};
    take(fresh);
}

void Tap::takeWhole(const std::uint64_t* a, const std::uint64_t* b) {
    if (rawPending_) decodePending();
    const std::size_t count = wordCount();
    if (count <= 2) {
        // Up to 64 bits, the common case: one vvp word, compared without a copy.
        const std::uint64_t mask = width_ >= 64 ? ~std::uint64_t(0) : (std::uint64_t(1) << width_) - 1;
        const std::uint64_t aval = a[0] & mask, bval = b[0] & mask;
        const VecWord fresh[2] = {{static_cast<std::uint32_t>(aval), static_cast<std::uint32_t>(bval)},
                                  {static_cast<std::uint32_t>(aval >> 32), static_cast<std::uint32_t>(bval >> 32)}};
        if (fresh[0].aval == wordData()[0].aval && fresh[0].bval == wordData()[0].bval &&
            (count == 1 || (fresh[1].aval == wordData()[1].aval && fresh[1].bval == wordData()[1].bval)))
            return;
        return take(fresh);
    }
    fresh_.resize(count);
    toWords(a, b, fresh_.data());
    std::uint32_t diff = 0;
    for (std::size_t i = 0; i < count; ++i)
        diff |= (fresh_[i].aval ^ wordData()[i].aval) | (fresh_[i].bval ^ wordData()[i].bval);
    if (diff) take(fresh_.data());
}

void Tap::toWords(const std::uint64_t* a, const std::uint64_t* b, VecWord* out) const {
    for (std::size_t i = 0; i < wordCount(); ++i) {
        const unsigned shift = (i & 1) * 32;
        const std::uint32_t mask = usedBits(i);
        out[i] = VecWord{static_cast<std::uint32_t>(a[i / 2] >> shift) & mask,
                         static_cast<std::uint32_t>(b[i / 2] >> shift) & mask};
    }
}

void Tap::readBack() {
    if (rawPending_) decodePending();
    s_vpi_value value;
    if (real_) {
        value.format = vpiRealVal;
        vpi_get_value(handle_, &value);
        if (value.format == vpiRealVal) recvReal(nullptr, value.value.real, nullptr);
        return;
    }
    value.format = vpiVectorVal;
    vpi_get_value(handle_, &value);
    if (value.format != vpiVectorVal || !value.value.vector) return;
    const std::size_t count = wordCount();
    fresh_.resize(count);
    bool differs = false;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t mask = usedBits(i);
        const VecWord w{static_cast<std::uint32_t>(value.value.vector[i].aval) & mask,
                        static_cast<std::uint32_t>(value.value.vector[i].bval) & mask};
        fresh_[i] = w;
        differs = differs || w.aval != wordData()[i].aval || w.bval != wordData()[i].bval;
    }
    if (differs) take(fresh_.data());
}

void Tap::recvReal(const void*, double value, void*) {
    if (!real_) {
        if (listener_) readBack();
        return;
    }
    if (std::memcmp(&value, &realValue_, sizeof value) == 0) return;
    if (!listener_) {
        realValue_ = value;
        return;
    }
    const std::uint64_t now = simulationTime();
    if (firstChangeOnly_) {
        if (now != notedStep_) listener_->tapChanging(*this, now);
        notedStep_ = now;
        realValue_ = value;
        return;
    }
    realValue_ = value;
    listener_->tapChanged(*this, now);
}

// Longs do not reach the signals taps are put on; should one come, the value is read back.
void Tap::recvVec8(const void*, const Vector8& bits) {
    if (!listener_) return;
    if (real_ || bits.size != static_cast<unsigned>(width_)) return readBack();
    const unsigned char* bytes = bits.data();
    if (rawValid_ && std::memcmp(raw_.data(), bytes, bits.size) == 0) return;
    if (rawValid_ && firstChangeOnly_ && strengthChecks == 0 && strengthsTrusted && simulationTime() == notedStep_) {
        std::memcpy(raw_.data(), bytes, bits.size);
        rawPending_ = true;
        return;
    }
    if (!decode(bits)) return readBack();
    takeWhole(strengthA_.data(), strengthB_.data());
    raw_.assign(bytes, bytes + bits.size);
    rawValid_ = true;
}
void Tap::recvLong(const void*, long) {
    if (listener_) readBack();
}
// A part of the signal (a net with several part drivers): the part is put into a copy of the
// value kept.
void Tap::recvVec4Part(const void*, const Vector4& bits, unsigned base, unsigned width, unsigned vectorWidth, void*) {
    if (!listener_) return;
    if (real_ || vectorWidth != static_cast<unsigned>(width_) || bits.size != width || base + width > vectorWidth)
        return readBack();
    takePart(bits.a(), bits.b(), base, width);
}

void Tap::takePart(const std::uint64_t* a, const std::uint64_t* b, unsigned base, unsigned width) {
    if (rawPending_) decodePending();
    fresh_.assign(wordData(), wordData() + wordCount());
    for (unsigned done = 0; done < width; done += 32) {
        const unsigned count = width - done < 32 ? width - done : 32;
        const std::uint32_t mask = count == 32 ? ~std::uint32_t(0) : (std::uint32_t(1) << count) - 1;
        const std::uint32_t aval = static_cast<std::uint32_t>(a[done / 64] >> (done % 64)) & mask;
        const std::uint32_t bval = static_cast<std::uint32_t>(b[done / 64] >> (done % 64)) & mask;
        const unsigned at = base + done, word = at / 32, shift = at % 32;
        fresh_[word].aval = (fresh_[word].aval & ~(mask << shift)) | (aval << shift);
        fresh_[word].bval = (fresh_[word].bval & ~(mask << shift)) | (bval << shift);
        if (shift && shift + count > 32) {
            const unsigned back = 32 - shift;
            fresh_[word + 1].aval = (fresh_[word + 1].aval & ~(mask >> back)) | (aval >> back);
            fresh_[word + 1].bval = (fresh_[word + 1].bval & ~(mask >> back)) | (bval >> back);
        }
    }
    for (std::size_t i = 0; i < wordCount(); ++i)
        if (fresh_[i].aval != wordData()[i].aval || fresh_[i].bval != wordData()[i].bval) return take(fresh_.data());
}
void Tap::recvVec8Part(const void*, const Vector8& bits, unsigned base, unsigned width, unsigned vectorWidth) {
    if (!listener_) return;
    if (real_ || vectorWidth != static_cast<unsigned>(width_) || bits.size != width || base + width > vectorWidth ||
        !decode(bits))
        return readBack();
    takePart(strengthA_.data(), strengthB_.data(), base, width);
}

void Tap::decodePending() {
    rawPending_ = false;
    const std::size_t words = (raw_.size() + 63) / 64;
    strengthA_.resize(words);
    strengthB_.resize(words);
    strengthWords(raw_.data(), static_cast<unsigned>(raw_.size()), strengthA_.data(), strengthB_.data());
    toWords(strengthA_.data(), strengthB_.data(), wordData());
}

bool Tap::decode(const Vector8& bits) {
    if (!strengthsTrusted) return false;
    const std::size_t words = (bits.size + 63) / 64;
    strengthA_.resize(words);
    strengthB_.resize(words);
    strengthWords(bits.data(), bits.size, strengthA_.data(), strengthB_.data());
    if (strengthChecks == 0) return true;
    // The first values decoded are checked against what VPI reads (the filter has already taken
    // them when the value is whole); one difference and strengths are always read back.
    if (bits.size != static_cast<unsigned>(width_)) return true;
    --strengthChecks;
    s_vpi_value value;
    value.format = vpiVectorVal;
    vpi_get_value(handle_, &value);
    if (value.format != vpiVectorVal || !value.value.vector) return strengthsTrusted = false;
    for (std::size_t i = 0; i < wordCount(); ++i) {
        const std::uint32_t mask = usedBits(i);
        const unsigned shift = (i & 1) * 32;
        if ((static_cast<std::uint32_t>(value.value.vector[i].aval) & mask) !=
                (static_cast<std::uint32_t>(strengthA_[i / 2] >> shift) & mask) ||
            (static_cast<std::uint32_t>(value.value.vector[i].bval) & mask) !=
                (static_cast<std::uint32_t>(strengthB_[i / 2] >> shift) & mask))
            return strengthsTrusted = false;
    }
    return true;
}
void Tap::recvLongPart(const void*, long, unsigned, unsigned) {
    if (listener_) readBack();
}
// Strings and objects do not reach the signals taps are put on.
void Tap::recvString(const void*, const void*, void*) {}
void Tap::recvObject(const void*, const void*, void*) {}

} // namespace VvpInternals
} // namespace OrvexEngine
