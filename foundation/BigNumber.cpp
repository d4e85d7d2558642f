#include "foundation/BigNumber.h"

// Limbs are read and written through the list's index; operations that add
// or remove limbs drop it and the next positional access rebuilds it.

bool Integer::operator==(const Integer& other) const
{
    if (GetCount() != other.GetCount())
        return false;
    for (unsigned __int64 i = 0; i < GetCount(); ++i)
        if (Limb(i) != other.Limb(i))
            return false;
    return true;
}

int Integer::Compare(const Integer& other) const
{
    if (GetCount() != other.GetCount())
        return GetCount() < other.GetCount() ? -1 : 1;
    for (unsigned __int64 i = GetCount(); i-- > 0;)
        if (Limb(i) != other.Limb(i))
            return Limb(i) < other.Limb(i) ? -1 : 1;
    return 0;
}

unsigned __int64 Integer::BitLength() const
{
    if (IsZero())
        return 0;
    unsigned __int64 top = Limb(GetCount() - 1);
    unsigned __int64 bits = 64 * (GetCount() - 1);
    while (top)
    {
        ++bits;
        top >>= 1;
    }
    return bits;
}

Integer& Integer::operator<<=(unsigned __int64 bits)
{
    if (bits == 0 || IsZero())
        return *this;
    for (unsigned __int64 i = 0; i < bits / 64; ++i)
        Prepend(new unsigned __int64(0));
    const unsigned shift = static_cast<unsigned>(bits % 64);
    if (shift == 0)
        return *this;
    unsigned __int64 carry = 0;
    for (unsigned __int64 i = 0; i < GetCount(); ++i)
    {
        unsigned __int64& limb = LimbRef(i);
        const unsigned __int64 out = limb >> (64 - shift);
        limb = (limb << shift) | carry;
        carry = out;
    }
    if (carry)
        Append(new unsigned __int64(carry));
    return *this;
}

unsigned Integer::ShiftRightOne()
{
    if (GetCount() == 0)
    {
        Normalize();
        return 0;
    }
    unsigned __int64 carry = 0;
    for (unsigned __int64 i = GetCount(); i-- > 0;)
    {
        unsigned __int64& limb = LimbRef(i);
        const unsigned __int64 out = limb & 1;
        limb = (limb >> 1) | (carry << 63);
        carry = out;
    }
    Normalize();
    return static_cast<unsigned>(carry);
}

void Integer::IncrementAt(unsigned __int64 k)
{
    PadTo(k);
    for (unsigned __int64 i = k; i < GetCount(); ++i)
    {
        unsigned __int64& limb = LimbRef(i);
        if (limb != ~0ull)
        {
            ++limb;
            return;
        }
        limb = 0;
    }
    Append(new unsigned __int64(1));
}

void Integer::PadTo(unsigned __int64 limbs)
{
    while (GetCount() < limbs)
        Append(new unsigned __int64(0));
}

void Integer::Normalize()
{
    while (GetCount() >= 2 && Limb(GetCount() - 1) == 0)
        delete RemoveAt(GetCount() - 1);
    if (GetCount() == 0)
        Append(new unsigned __int64(0));
}

Integer operator+(const Integer& a, const Integer& b)
{
    const unsigned __int64 n = a.GetCount() > b.GetCount() ? a.GetCount() : b.GetCount();
    Integer sum;
    sum.Clear();
    unsigned __int64 carry = 0;
    for (unsigned __int64 i = 0; i < n; ++i)
    {
        const unsigned __int64 x = i < a.GetCount() ? a.Limb(i) : 0;
        const unsigned __int64 y = i < b.GetCount() ? b.Limb(i) : 0;
        const unsigned __int64 limb = x + y + carry;
        carry = (y > ~x || (~x) - y < carry) ? 1 : 0;
        sum.Append(new unsigned __int64(limb));
    }
    if (carry)
        sum.Append(new unsigned __int64(1));
    sum.Normalize();
    return sum;
}

Integer operator-(Integer a, Integer b)
{
    const unsigned __int64 n = a.GetCount() > b.GetCount() ? a.GetCount() : b.GetCount();
    a.PadTo(n);
    b.PadTo(n);
    // Subtraction with a borrow, which is the two's-complement sum with its
    // final carry dropped.
    unsigned __int64 borrow = 0;
    for (unsigned __int64 i = 0; i < n; ++i)
    {
        unsigned __int64& x = a.LimbRef(i);
        const unsigned __int64 y = b.Limb(i);
        const unsigned __int64 difference = x - y - borrow;
        borrow = (x < y || x - y < borrow) ? 1 : 0;
        x = difference;
    }
    a.Normalize();
    return a;
}

Integer operator*(const Integer& a, const Integer& b)
{
    // The smaller operand drives the loop, one bit per round.
    Integer multiplier = a < b ? a : b;
    Integer multiplicand = a < b ? b : a;
    Integer product;
    while (!multiplier.IsZero())
    {
        if (multiplier.ShiftRightOne())
            product = product + multiplicand;
        if (!multiplicand.IsZero())
            multiplicand <<= 1;
    }
    return product;
}

Integer::Division Integer::DivMod(Integer dividend, Integer divisor)
{
    if (divisor.IsZero())
        throw NumberException<Integer, 1>();
    Integer quotient;
    const unsigned __int64 d = divisor.BitLength();
    while (dividend >= divisor)
    {
        unsigned __int64 s = dividend.BitLength() - d;
        Integer t = divisor;
        t <<= s;
        if (dividend < t)
        {
            --s;
            t.ShiftRightOne();
        }
        Integer bit(1);
        bit <<= s;
        quotient = quotient + bit;
        dividend = dividend - t;
    }
    return Division(quotient, dividend);
}

double Integer::ToDouble() const
{
    // From the most significant limb down; exact up to 2^53.
    double value = 0.0;
    for (unsigned __int64 i = GetCount(); i-- > 0;)
        value = value * 18446744073709551616.0 + static_cast<double>(Limb(i));
    return value;
}
