#pragma once
// Sets of a class library's enumeration whose members are single bits, held
// in the enumeration's own width.

#include <type_traits>

namespace vdx::gui {

template <typename E>
class TEnumSet {
public:
    using Bits = std::underlying_type_t<E>;

    constexpr TEnumSet() noexcept = default;
    constexpr TEnumSet(E member) noexcept : m_bits(Bits(member)) {}

    constexpr bool Contains(E member) const noexcept { return (m_bits & Bits(member)) != 0; }
    constexpr TEnumSet operator|(TEnumSet other) const noexcept {
        return FromBits(Bits(m_bits | other.m_bits));
    }
    constexpr TEnumSet Without(E member) const noexcept {
        return FromBits(Bits(m_bits & ~Bits(member)));
    }
    constexpr Bits Value() const noexcept { return m_bits; }
    static constexpr TEnumSet FromBits(Bits bits) noexcept {
        TEnumSet s;
        s.m_bits = bits;
        return s;
    }
    friend constexpr bool operator==(TEnumSet, TEnumSet) noexcept = default;

private:
    Bits m_bits = 0;
};

} // namespace vdx::gui
