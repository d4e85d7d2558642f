// Exact arithmetic for geometry: Integer, an unsigned integer of any size in
// 64-bit limbs, and RationalTBase<Integer>, a signed fraction over it kept in
// lowest terms. The operands are pixel sizes and zoom factors, a few limbs
// long, so the algorithms are the plain binary schoolbook ones.
#pragma once

#include "foundation/Containers.h"
#include "foundation/Contextualize.h"

// A zero divisor or a zero denominator; thrown by value.
template <class N, int ErrorCode> struct NumberException : QuilloryError
{
    unsigned value = 0;

    unsigned Code() const noexcept override { return ErrorCode; }
    const char* what() const noexcept override { return "number"; }
};

// Limbs in an MList, position 0 the least significant. Normal form, which
// every operation produces: at least one limb, and the most significant limb
// is not 0 unless the value is 0 (exactly one limb 0).
class Integer : public MList<unsigned __int64>
{
public:
    using Division = Pair<contextualize<Integer, sX::Quotient>, contextualize<Integer, sX::Reminder>>;

    Integer(unsigned __int64 value = 0) { Append(new unsigned __int64(value)); }
    Integer(const Integer& other) = default;
    Integer(Integer&& other) = default;
    Integer& operator=(const Integer& other) = default;
    Integer& operator=(Integer&& other) = default;

    unsigned __int64 Limb(unsigned __int64 position) const { return *GetAt(position); }

    bool operator==(const Integer& other) const;
    bool operator!=(const Integer& other) const { return !(*this == other); }
    // More limbs is greater; otherwise the first differing limb from the top.
    bool operator<(const Integer& other) const { return Compare(other) < 0; }
    bool operator>(const Integer& other) const { return Compare(other) > 0; }
    bool operator>=(const Integer& other) const { return Compare(other) >= 0; }

    // Position of the highest set bit, 1-based; 0 for the value 0.
    unsigned __int64 BitLength() const;
    Integer& operator<<=(unsigned __int64 bits);
    // Shifts right by one bit in place; answers the bit shifted out.
    unsigned ShiftRightOne();
    // Adds 2^(64 k) in place.
    void IncrementAt(unsigned __int64 k);

    friend Integer operator+(const Integer& a, const Integer& b);
    // Defined for a >= b; otherwise (a - b) modulo 2^(64 n), n the larger
    // limb count.
    friend Integer operator-(Integer a, Integer b);
    friend Integer operator*(const Integer& a, const Integer& b);
    // Quotient and remainder; NumberException<Integer, 1> for a zero divisor.
    static Division DivMod(Integer dividend, Integer divisor);

    double ToDouble() const;

private:
    int Compare(const Integer& other) const;
    bool IsZero() const { return GetCount() == 0 || (GetCount() == 1 && Limb(0) == 0); }
    unsigned __int64& LimbRef(unsigned __int64 position) { return *GetAt(position); }
    void PadTo(unsigned __int64 limbs);
    void Normalize();
};

// A signed fraction, always in lowest terms; the value 0 is non-negative 0/1.
template <class N> class RationalTBase
{
public:
    bool negative = false;
    contextualize<N, sX::Numerator> numerator;
    contextualize<N, sX::Denominator> denominator;

    // NumberException<N, 1> for a zero denominator.
    RationalTBase(const N& numerator_, const N& denominator_) : RationalTBase(false, numerator_, denominator_) {}
    RationalTBase(bool negative_, const N& numerator_, const N& denominator_)
        : negative(negative_), numerator(numerator_), denominator(denominator_)
    {
        if (denominator == N(0))
            throw NumberException<N, 1>();
        Reduce();
    }
    // The magnitude is taken as unsigned, so the most negative value works.
    RationalTBase(__int64 value)
        : negative(value < 0),
          numerator(value < 0 ? 0 - static_cast<unsigned __int64>(value) : static_cast<unsigned __int64>(value)),
          denominator(1)
    {
        Reduce();
    }
    RationalTBase(const RationalTBase&) = default;
    RationalTBase(RationalTBase&&) = default;
    RationalTBase& operator=(const RationalTBase&) = default;
    RationalTBase& operator=(RationalTBase&&) = default;

    // Divides both terms by their greatest common divisor (Euclid).
    void Reduce()
    {
        if (numerator == N(0))
        {
            negative = false;
            denominator = N(1);
            return;
        }
        N a = numerator > denominator ? N(numerator) : N(denominator);
        N b = numerator > denominator ? N(denominator) : N(numerator);
        N r = N::DivMod(a, b).second;
        while (r != N(0))
        {
            a = std::move(b);
            b = std::move(r);
            r = N::DivMod(a, b).second;
        }
        if (b != N(1))
        {
            numerator = N::DivMod(numerator, b).first;
            denominator = N::DivMod(denominator, b).first;
        }
    }

    friend RationalTBase operator+(const RationalTBase& a, const RationalTBase& b)
    {
        const N x = a.numerator * b.denominator;
        const N y = b.numerator * a.denominator;
        const N denominator = a.denominator * b.denominator;
        if (a.negative == b.negative)
            return RationalTBase(a.negative, x + y, denominator);
        if (x > y)
            return RationalTBase(a.negative, x - y, denominator);
        return RationalTBase(b.negative, y - x, denominator);
    }
    friend RationalTBase operator-(const RationalTBase& a, const RationalTBase& b) { return a + (-b); }
    RationalTBase operator-() const
    {
        RationalTBase result(*this);
        if (!(numerator == N(0)))
            result.negative = !negative;
        return result;
    }
    RationalTBase& operator+=(const RationalTBase& other) { return *this = *this + other; }

    friend RationalTBase operator*(const RationalTBase& a, const RationalTBase& b)
    {
        return RationalTBase(a.negative != b.negative, a.numerator * b.numerator, a.denominator * b.denominator);
    }
    friend RationalTBase operator*(const RationalTBase& a, unsigned __int64 n)
    {
        return RationalTBase(a.negative, N(n) * a.numerator, a.denominator);
    }

    // Signs first, then the cross products.
    friend bool operator>(const RationalTBase& a, const RationalTBase& b)
    {
        if (a.negative != b.negative)
            return b.negative;
        const N left = a.numerator * b.denominator;
        const N right = b.numerator * a.denominator;
        return a.negative ? left < right : left > right;
    }
    friend bool operator>=(const RationalTBase& a, const RationalTBase& b) { return !(b > a); }
    friend bool operator==(const RationalTBase& a, const RationalTBase& b)
    {
        // Both are in lowest terms, so equal values have equal terms.
        return a.negative == b.negative && a.numerator == b.numerator && a.denominator == b.denominator;
    }
    static bool Compare(const RationalTBase& a, const RationalTBase& b) { return a > b; }
    // The lesser value; the second on a tie.
    static RationalTBase Min(const RationalTBase& a, const RationalTBase& b) { return b > a ? a : b; }

    double ToDouble() const { return (negative ? -1.0 : 1.0) * numerator.ToDouble() / denominator.ToDouble(); }
};

using Rational = RationalTBase<Integer>;
