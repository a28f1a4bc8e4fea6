// vvp's net nodes, 4-state vectors and signal handles, restated from Icarus Verilog 11.0
// (vvp/vvp_net.h, vvp/vpi_priv.h) for the value taps. GPL-2.0-or-later: see NOTICE in this folder.
// Only the members the taps touch are named; everything is checked against vvp's own exported
// symbols before the first use (FanoutTap.cc).
#pragma once

#include <cstddef>
#include <cstdint>

namespace OrvexEngine {
namespace VvpInternals {

struct NetNode;

/// vvp_net_ptr_t: a node pointer with the input port number in its two low bits.
using NetPtr = std::uintptr_t;

inline NetNode* nodeOf(NetPtr p) { return reinterpret_cast<NetNode*>(p & ~std::uintptr_t(3)); }
inline unsigned portOf(NetPtr p) { return static_cast<unsigned>(p & 3); }

class Functor;

/// vvp_net_t: four input ports (each threads the fan-out list of the node driving it), the
/// node's function and filter, and the head of its own fan-out list.
struct NetNode {
    NetPtr port[4];
    Functor* fun;
    void* fil;
    NetPtr out;
};
static_assert(sizeof(NetNode) == 7 * sizeof(void*), "vvp_net_t is seven words");

/// vvp_vector4_t: up to 64 bits in place, otherwise pointers to the a and b word arrays.
/// Bits (a, b): 0 = (0,0), 1 = (1,0), x = (1,1), z = (0,1). Bits above the size are undefined.
struct Vector4 {
    unsigned size;
    union {
        std::uint64_t aValue;
        const std::uint64_t* aWords;
    };
    union {
        std::uint64_t bValue;
        const std::uint64_t* bWords;
    };
    const std::uint64_t* a() const { return size > 64 ? aWords : &aValue; }
    const std::uint64_t* b() const { return size > 64 ? bWords : &bValue; }
};

/// vvp_vector8_t: one strength byte per bit, in place up to 8 bits. The 4-state value of a byte
/// (vvp_scalar_t::value): z when no strength bit (0x77) is set, else 0 for 0x00 under 0x88, 1
/// for 0x88, x otherwise.
struct Vector8 {
    unsigned size;
    union {
        const unsigned char* bytes;
        unsigned char inPlace[sizeof(void*)];
    };
    const unsigned char* data() const { return size > sizeof(inPlace) ? bytes : inPlace; }
};

/// vvp_net_fun_t's virtual interface, slot for slot. Class arguments that vvp passes by value
/// (vvp_net_ptr_t, vvp_object_t) have non-trivial destructors, so the ABI passes them by address:
/// here they are plain pointers, never looked into.
class Functor {
public:
    virtual ~Functor() = default;
    virtual void recvVec4(const void* port, const Vector4& bits, void* context) = 0;
    virtual void recvVec8(const void* port, const Vector8& bits) = 0;
    virtual void recvReal(const void* port, double value, void* context) = 0;
    virtual void recvLong(const void* port, long value) = 0;
    virtual void recvString(const void* port, const void* text, void* context) = 0;
    virtual void recvObject(const void* port, const void* object, void* context) = 0;
    virtual void recvVec4Part(const void* port, const Vector4& bits, unsigned base, unsigned width,
                              unsigned vectorWidth, void* context) = 0;
    virtual void recvVec8Part(const void* port, const Vector8& bits, unsigned base, unsigned width,
                              unsigned vectorWidth) = 0;
    virtual void recvLongPart(const void* port, long value, unsigned base, unsigned width) = 0;
    virtual void forceFlag(bool runNow) = 0;
};

/// The number of vtable slots checked against vvp_net_fun_t: two destructors and ten methods.
constexpr unsigned FunctorSlots = 12;

// Byte offsets in vvp's VPI handles (x86-64). __vpiSignal: the vtable, bits, within, id, then
// msb and lsb (__vpiDecConst: a vtable and an int each), the flags and the node.
constexpr std::size_t SignalMsbOffset = 32;
constexpr std::size_t SignalLsbOffset = 48;
constexpr std::size_t SignalNodeOffset = 72;
// __vpiRealVar: the vtable, within, id, the flags and the node.
constexpr std::size_t RealVarNodeOffset = 32;

} // namespace VvpInternals
} // namespace OrvexEngine
