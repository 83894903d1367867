// The ground floor of the VST3 binary interface, declared by us from Steinberg's
// published interface reference (the "pluginterfaces" headers and the VST 3
// developer portal, read as facts): calling convention, scalar types, result
// codes, the 16-byte identifiers and their byte order, and FUnknown.
//
// Layout: every structure of the interface is laid out with the compiler's
// natural alignment on the platforms we build for. Steinberg packs to 16 on
// 64-bit Windows and to 8 on 32-bit Windows, and sets nothing on Linux; no
// member is wider than 8 bytes, so both equal natural alignment there.
// (Only 32-bit macOS differs, packed to 1; we do not build for it.)
// tests/vst3/declaration_layout_test.cpp pins every size and offset.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

// Methods of every interface use the platform's COM convention: __stdcall on
// 32-bit Windows; on 64-bit Windows there is only one convention, and on
// Linux and macOS nothing is added.
#if defined(_WIN32) && !defined(_WIN64)
#define QUILLET_VST3_CALL __stdcall
#else
#define QUILLET_VST3_CALL
#endif

// Windows hosts expect identifiers and result codes in COM's form; every
// other platform uses the plain forms below.
#if defined(_WIN32)
#define QUILLET_VST3_COM_ORDER 1
#else
#define QUILLET_VST3_COM_ORDER 0
#endif

namespace quillet::vst3 {

using int8 = int8_t;
using uint8 = uint8_t;
using int16 = int16_t;
using uint16 = uint16_t;
using int32 = int32_t;
using uint32 = uint32_t;
using int64 = int64_t;
using uint64 = uint64_t;
using char8 = char;
using char16 = char16_t;  // one UTF-16 code unit; the interface's wide strings
using TBool = uint8;      // booleans cross the interface as one byte
using tresult = int32;
using FIDString = const char8*;  // an identifier or a class/interface ID as bytes

// Result codes. Windows uses the HRESULT values of COM; elsewhere they are
// small integers counted up from -1 (no interface) with success at 0.
#if QUILLET_VST3_COM_ORDER
enum : tresult {
  kNoInterface = static_cast<tresult>(0x80004002u),
  kResultOk = 0,
  kResultTrue = kResultOk,
  kResultFalse = 1,
  kInvalidArgument = static_cast<tresult>(0x80070057u),
  kNotImplemented = static_cast<tresult>(0x80004001u),
  kInternalError = static_cast<tresult>(0x80004005u),
  kNotInitialized = static_cast<tresult>(0x8000FFFFu),
  kOutOfMemory = static_cast<tresult>(0x8007000Eu),
};
#else
enum : tresult {
  kNoInterface = -1,
  kResultOk = 0,
  kResultTrue = kResultOk,
  kResultFalse = 1,
  kInvalidArgument = 2,
  kNotImplemented = 3,
  kInternalError = 4,
  kNotInitialized = 5,
  kOutOfMemory = 6,
};
#endif

// A class or interface identifier: 16 bytes compared as bytes. Steinberg
// writes each one as four 32-bit numbers (l1..l4), the same text on every
// platform ("l1l2l3l4" in hex, 32 digits). In memory the bytes follow those
// numbers from the most significant byte down, except on Windows, where the
// first eight bytes take the GUID layout of COM: l1 little-endian, then the
// upper and the lower half of l2, each little-endian; l3 and l4 stay in order.
enum class UidOrder { Plain, Com };
constexpr UidOrder kPlatformUidOrder = QUILLET_VST3_COM_ORDER ? UidOrder::Com : UidOrder::Plain;

// 8-byte aligned: hosts compare identifiers as two 64-bit loads.
struct alignas(8) Uid {
  char8 bytes[16];

  static constexpr Uid fromLongs(uint32 l1, uint32 l2, uint32 l3, uint32 l4,
                                 UidOrder order = kPlatformUidOrder) {
    Uid uid{};
    const uint32 longs[4] = {l1, l2, l3, l4};
    for (int word = 0; word < 4; ++word) {
      for (int byte = 0; byte < 4; ++byte) {
        uid.bytes[word * 4 + byte] = static_cast<char8>((longs[word] >> (24 - 8 * byte)) & 0xFF);
      }
    }
    if (order == UidOrder::Com) {
      // l1 as a little-endian 32-bit field, l2 as two little-endian halves.
      uid.bytes[0] = static_cast<char8>(l1 & 0xFF);
      uid.bytes[1] = static_cast<char8>((l1 >> 8) & 0xFF);
      uid.bytes[2] = static_cast<char8>((l1 >> 16) & 0xFF);
      uid.bytes[3] = static_cast<char8>((l1 >> 24) & 0xFF);
      uid.bytes[4] = static_cast<char8>((l2 >> 16) & 0xFF);
      uid.bytes[5] = static_cast<char8>((l2 >> 24) & 0xFF);
      uid.bytes[6] = static_cast<char8>(l2 & 0xFF);
      uid.bytes[7] = static_cast<char8>((l2 >> 8) & 0xFF);
    }
    return uid;
  }

  // The 32-digit text form, the same on every platform (moduleinfo.json uses it).
  void toString(char8 text[33]) const {
    static const char8 digits[] = "0123456789ABCDEF";
    uint32 longs[4];
    toLongs(longs);
    for (int i = 0; i < 32; ++i) {
      text[i] = digits[(longs[i / 8] >> (28 - 4 * (i % 8))) & 0xF];
    }
    text[32] = 0;
  }

  constexpr void toLongs(uint32 longs[4], UidOrder order = kPlatformUidOrder) const {
    auto b = [this](int i) { return static_cast<uint32>(static_cast<uint8>(bytes[i])); };
    for (int word = 0; word < 4; ++word) {
      longs[word] =
          (b(word * 4) << 24) | (b(word * 4 + 1) << 16) | (b(word * 4 + 2) << 8) | b(word * 4 + 3);
    }
    if (order == UidOrder::Com) {
      longs[0] = b(0) | (b(1) << 8) | (b(2) << 16) | (b(3) << 24);
      longs[1] = (b(5) << 24) | (b(4) << 16) | (b(7) << 8) | b(6);
    }
  }

  // True for exactly 32 hex digits (either case), the text form.
  static constexpr bool isText(const char8* text) {
    int i = 0;
    for (; i < 32; ++i)
      if (hexDigit(text[i]) < 0) return false;
    return text[i] == 0;
  }
  // The ID a text of isText() stands for; zero digits where the text is not one.
  static constexpr Uid fromText(const char8* text, UidOrder order = kPlatformUidOrder) {
    uint32 longs[4] = {};
    for (int i = 0; i < 32 && text[i] != 0; ++i) {
      const int digit = hexDigit(text[i]);
      longs[i / 8] = (longs[i / 8] << 4) | static_cast<uint32>(digit < 0 ? 0 : digit);
    }
    return fromLongs(longs[0], longs[1], longs[2], longs[3], order);
  }

  bool equals(const void* other) const { return other && std::memcmp(bytes, other, 16) == 0; }
  constexpr bool operator==(const Uid& other) const {
    for (int i = 0; i < 16; ++i)
      if (bytes[i] != other.bytes[i]) return false;
    return true;
  }

 private:
  static constexpr int hexDigit(char8 c) {
    return c >= '0' && c <= '9'   ? c - '0'
           : c >= 'A' && c <= 'F' ? c - 'A' + 10
           : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                  : -1;
  }
};
static_assert(sizeof(Uid) == 16, "an identifier is exactly 16 bytes");
static_assert(alignof(Uid) == 8, "an identifier can be read as two 64-bit words");

// Each interface carries its identifier as a static member named iid.
#define QUILLET_VST3_IID(l1, l2, l3, l4) \
  static constexpr ::quillet::vst3::Uid iid = ::quillet::vst3::Uid::fromLongs(l1, l2, l3, l4)

// The root of every interface: ask for another interface of the same object,
// and count references. A new object starts with one reference; release()
// destroys it when the count reaches zero. queryInterface adds a reference to
// what it hands out and sets *obj to null when it answers kNoInterface.
class FUnknown {
 public:
  virtual tresult QUILLET_VST3_CALL queryInterface(const char8* iidBytes, void** obj) = 0;
  virtual uint32 QUILLET_VST3_CALL addRef() = 0;
  virtual uint32 QUILLET_VST3_CALL release() = 0;
  QUILLET_VST3_IID(0x00000000, 0x00000000, 0xC0000000, 0x00000046);

 protected:
  ~FUnknown() = default;  // objects die through release(), never through delete
};

}  // namespace quillet::vst3
