#pragma once
// Sets of a class library's enumeration. TEnumSet: the members are single
// bits, held in the enumeration's own width. TOrdinalSet: the members are
// ordinals 0 .. Count - 1, member n stored as bit n (as the class library
// streams such a set); bits beyond Count are dropped.

#include <cstdint>
#include <type_traits>

namespace vdx::gui {

namespace detail {

template <typename E, typename B, B Mask, bool Ordinal> class TSetOf {
public:
    using Bits = B;

    constexpr TSetOf() noexcept = default;
    constexpr TSetOf(E member) noexcept : m_bits(Bit(member)) {}

    static constexpr TSetOf FromBits(unsigned bits) noexcept {
        TSetOf s;
        s.m_bits = Bits(bits & Mask);
        return s;
    }
    static constexpr TSetOf All() noexcept { return FromBits(Mask); }

    constexpr bool Contains(E member) const noexcept { return (m_bits & Bit(member)) != 0; }
    constexpr TSetOf operator|(TSetOf other) const noexcept {
        return FromBits(unsigned(m_bits | other.m_bits));
    }
    constexpr TSetOf Without(E member) const noexcept {
        return FromBits(unsigned(m_bits & ~Bit(member)));
    }
    constexpr TSetOf With(E member, bool on) const noexcept {
        return on ? *this | member : Without(member);
    }
    constexpr Bits Value() const noexcept { return m_bits; }
    friend constexpr bool operator==(TSetOf, TSetOf) noexcept = default;

private:
    static constexpr Bits Bit(E member) noexcept {
        if constexpr (Ordinal)
            return Bits(1u << unsigned(member));
        else
            return Bits(member);
    }
    Bits m_bits = 0;
};

template <unsigned Count>
using TOrdinalBits =
    std::conditional_t<(Count <= 8), std::uint8_t,
                       std::conditional_t<(Count <= 16), std::uint16_t, std::uint32_t>>;

} // namespace detail

template <typename E>
using TEnumSet = detail::TSetOf<E, std::make_unsigned_t<std::underlying_type_t<E>>,
                                std::make_unsigned_t<std::underlying_type_t<E>>(~0u), false>;

template <typename E, unsigned Count>
requires(Count >= 1 && Count <= 32) using TOrdinalSet =
    detail::TSetOf<E, detail::TOrdinalBits<Count>,
                   detail::TOrdinalBits<Count>(Count == 32 ? ~0u : (1u << Count) - 1), true>;

} // namespace vdx::gui
