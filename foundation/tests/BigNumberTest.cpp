#include "foundation/BigNumber.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <vector>

namespace
{
// The reference arithmetic: 128 bits where the compiler has them (the 64-bit
// build), 64 bits otherwise; operands are drawn to fit.
#ifdef __SIZEOF_INT128__
using Wide = unsigned __int128;
constexpr int WideBits = 128;
#else
using Wide = unsigned __int64;
constexpr int WideBits = 64;
#endif

using ZeroDivisor = NumberException<Integer, 1>;

Wide High(Wide v) { return (v >> 32) >> 32; }

Integer FromWide(Wide v)
{
    Integer high(static_cast<unsigned __int64>(High(v)));
    high <<= 64;
    return Integer(static_cast<unsigned __int64>(v)) + high;
}

Wide ToWide(const Integer& n)
{
    EXPECT_LE(n.GetCount(), static_cast<unsigned __int64>(WideBits / 64));
    Wide v = 0;
    for (unsigned __int64 i = n.GetCount(); i-- > 0;)
        v = ((v << 32) << 32) | n.Limb(i);
    return v;
}

std::vector<unsigned __int64> Limbs(const Integer& n)
{
    std::vector<unsigned __int64> limbs;
    for (unsigned __int64 i = 0; i < n.GetCount(); ++i)
        limbs.push_back(n.Limb(i));
    return limbs;
}

// Values below 2^bits, of every length, with the edges mixed in.
class Values
{
public:
    Wide Next(int bits)
    {
        const int length = static_cast<int>(m_random() % (bits + 1));
        switch (m_random() % 8)
        {
        case 0:
            return length == 0 ? 0 : (Wide(1) << (length - 1));
        case 1:
            return length == 0 ? 0 : (((Wide(1) << (length - 1)) - 1) << 1) | 1;
        default:
        {
            Wide v = (Wide(m_random()) << 32 << 32) | m_random();
            return length >= WideBits ? v : v & ((Wide(1) << length) - 1);
        }
        }
    }

private:
    std::mt19937_64 m_random{20240611};
};

Wide Gcd(Wide a, Wide b)
{
    while (b)
    {
        const Wide r = a % b;
        a = b;
        b = r;
    }
    return a;
}

void ExpectRational(const Rational& r, bool negative, Wide numerator, Wide denominator)
{
    const Wide g = Gcd(numerator, denominator);
    if (numerator == 0)
        negative = false;
    EXPECT_EQ(r.negative, negative);
    EXPECT_TRUE(ToWide(r.numerator) == numerator / g);
    EXPECT_TRUE(ToWide(r.denominator) == denominator / g);
}
}

TEST(BigNumber, IntegerEdges)
{
    const Integer zero(0);
    EXPECT_EQ(Limbs(zero), (std::vector<unsigned __int64>{0}));
    EXPECT_EQ(zero.BitLength(), 0u);
    EXPECT_EQ(zero.ToDouble(), 0.0);

    const Integer top(~0ull);
    const Integer sum = top + Integer(1);
    EXPECT_EQ(Limbs(sum), (std::vector<unsigned __int64>{0, 1}));
    EXPECT_EQ(Limbs(sum - Integer(1)), (std::vector<unsigned __int64>{~0ull}));
    EXPECT_EQ(Limbs(sum - sum), (std::vector<unsigned __int64>{0}));

    Integer shifted(1);
    shifted <<= 64;
    EXPECT_EQ(Limbs(shifted), (std::vector<unsigned __int64>{0, 1}));
    EXPECT_EQ(shifted.ShiftRightOne(), 0u);
    EXPECT_EQ(Limbs(shifted), (std::vector<unsigned __int64>{0x8000000000000000ull}));
    Integer one(1);
    EXPECT_EQ(one.ShiftRightOne(), 1u);
    EXPECT_EQ(Limbs(one), (std::vector<unsigned __int64>{0}));

    // A different limb count decides.
    EXPECT_TRUE(sum > top);
    EXPECT_TRUE(top < sum);
    EXPECT_FALSE(top >= sum);
    EXPECT_TRUE(top >= top);
    EXPECT_FALSE(top < top);

    Integer incremented(~0ull);
    incremented.IncrementAt(0);
    EXPECT_EQ(Limbs(incremented), (std::vector<unsigned __int64>{0, 1}));
    incremented.IncrementAt(1);
    EXPECT_EQ(Limbs(incremented), (std::vector<unsigned __int64>{0, 2}));
    Integer small(5);
    small.IncrementAt(1);
    EXPECT_EQ(Limbs(small), (std::vector<unsigned __int64>{5, 1}));

    // Below b the difference wraps within the limbs, normalised.
    EXPECT_EQ(Limbs(Integer(1) - Integer(2)), (std::vector<unsigned __int64>{~0ull}));

    Integer big(3);
    big <<= 130;
    EXPECT_EQ(big.BitLength(), 132u);
    EXPECT_EQ(big.ToDouble(), 3.0 * 1361129467683753853853498429727072845824.0);
}

TEST(BigNumber, DivModExamples)
{
    struct Case
    {
        unsigned __int64 dividend, divisor, quotient, remainder;
    };
    const Case cases[] = {{7, 2, 3, 1}, {2, 7, 0, 2}, {0, 7, 0, 0}, {~0ull, 1, ~0ull, 0}, {~0ull, ~0ull, 1, 0}};
    for (const Case& c : cases)
    {
        const Integer::Division d = Integer::DivMod(c.dividend, c.divisor);
        EXPECT_TRUE(d.first == Integer(c.quotient));
        EXPECT_TRUE(d.second == Integer(c.remainder));
    }
    EXPECT_THROW(Integer::DivMod(5, 0), ZeroDivisor);
}

TEST(BigNumber, IntegerAgreesWithMachineArithmetic)
{
    Values values;
    for (int round = 0; round < 300; ++round)
    {
        const Wide a = values.Next(WideBits - 1), b = values.Next(WideBits - 1);
        const Integer x = FromWide(a), y = FromWide(b);
        ASSERT_TRUE(ToWide(x) == a);
        EXPECT_TRUE(ToWide(x + y) == a + b) << round;
        EXPECT_TRUE(ToWide(a >= b ? x - y : y - x) == (a >= b ? a - b : b - a)) << round;
        EXPECT_EQ(x < y, a < b);
        EXPECT_EQ(x > y, a > b);
        EXPECT_EQ(x >= y, a >= b);
        EXPECT_EQ(x == y, a == b);

        unsigned __int64 bits = 0;
        for (Wide v = a; v; v >>= 1)
            ++bits;
        EXPECT_EQ(x.BitLength(), bits);

        const Wide p = values.Next(WideBits / 2), q = values.Next(WideBits / 2);
        EXPECT_TRUE(ToWide(FromWide(p) * FromWide(q)) == p * q) << round;

        if (b != 0)
        {
            const Integer::Division d = Integer::DivMod(x, y);
            EXPECT_TRUE(ToWide(d.first) == a / b) << round;
            EXPECT_TRUE(ToWide(d.second) == a % b) << round;
        }

        const unsigned s = static_cast<unsigned>(values.Next(7) % (WideBits / 2));
        Integer shifted = FromWide(p);
        shifted <<= s;
        EXPECT_TRUE(ToWide(shifted) == (p << s)) << round;
        Integer halved = x;
        EXPECT_EQ(halved.ShiftRightOne(), static_cast<unsigned>(a & 1));
        EXPECT_TRUE(ToWide(halved) == (a >> 1));

        // Every result is in normal form.
        for (const Integer& n : {x + y, FromWide(p) * FromWide(q), halved})
            EXPECT_TRUE(n.GetCount() == 1 || n.Limb(n.GetCount() - 1) != 0);
    }
}

TEST(BigNumber, RationalExamples)
{
    const Rational sixFourths(6, 4);
    EXPECT_FALSE(sixFourths.negative);
    EXPECT_TRUE(sixFourths.numerator == Integer(3));
    EXPECT_TRUE(sixFourths.denominator == Integer(2));

    const Rational zero(0, 5);
    EXPECT_FALSE(zero.negative);
    EXPECT_TRUE(zero.denominator == Integer(1));
    EXPECT_FALSE(Rational(true, 0, 5).negative);
    EXPECT_THROW(Rational(1, 0), ZeroDivisor);

    const Rational minusFive(-5);
    EXPECT_TRUE(minusFive.negative);
    EXPECT_TRUE(minusFive.numerator == Integer(5));
    EXPECT_TRUE(Rational(LLONG_MIN).numerator == Integer(0x8000000000000000ull));
    EXPECT_TRUE(Rational(LLONG_MIN).negative);

    const Rational half(1, 2), third(1, 3);
    const Rational nothing = half + (-half);
    EXPECT_FALSE(nothing.negative);
    EXPECT_TRUE(nothing.numerator == Integer(0));
    EXPECT_TRUE(nothing.denominator == Integer(1));
    EXPECT_TRUE(third - half == Rational(true, 1, 6));
    EXPECT_FALSE((-Rational(0)).negative);

    EXPECT_TRUE(Rational::Min(Rational(2, 3), Rational(3, 4)) == Rational(2, 3));
    EXPECT_TRUE(Rational::Min(Rational(true, 1, 2), Rational(true, 1, 3)) == Rational(true, 1, 2));
    EXPECT_TRUE(Rational::Min(Rational(-1), Rational(1)) == Rational(-1));
    // Equal values give the second operand: its terms, here the same.
    EXPECT_TRUE(Rational::Min(Rational(1, 2), Rational(2, 4)) == Rational(1, 2));

    EXPECT_TRUE(Rational(true, 1, 2) > Rational(true, 2, 3));
    EXPECT_FALSE(half > half);
    EXPECT_TRUE(half >= half);
    EXPECT_TRUE(Rational(0) > Rational(-1));
    EXPECT_FALSE(Rational(-1) > Rational(0));
    EXPECT_TRUE(Rational::Compare(half, third));

    EXPECT_TRUE(half * 4 == Rational(2));
    EXPECT_TRUE(half * 0 == Rational(0));
    EXPECT_TRUE(Rational(true, 2, 3) * Rational(true, 3, 4) == half);
    Rational total(1, 6);
    total += half;
    EXPECT_TRUE(total == Rational(2, 3));

    EXPECT_EQ(Rational(true, 3, 4).ToDouble(), -0.75);
    EXPECT_EQ(Rational(1, 3).ToDouble(), 1.0 / 3.0);
}

TEST(BigNumber, RationalAgreesWithMachineArithmetic)
{
    Values values;
    std::mt19937 signs(7);
    const int bits = WideBits / 4;
    for (int round = 0; round < 300; ++round)
    {
        const Wide an = values.Next(bits), bn = values.Next(bits);
        const Wide ad = values.Next(bits) | 1, bd = values.Next(bits) | 1;
        const bool aNegative = signs() & 1, bNegative = signs() & 1;
        const Rational a(aNegative, FromWide(an), FromWide(ad)), b(bNegative, FromWide(bn), FromWide(bd));
        ExpectRational(a, aNegative, an, ad);

        // Sums in sign and magnitude.
        const Wide x = an * bd, y = bn * ad;
        if (aNegative == bNegative)
            ExpectRational(a + b, aNegative, x + y, ad * bd);
        else if (x > y)
            ExpectRational(a + b, aNegative, x - y, ad * bd);
        else
            ExpectRational(a + b, bNegative, y - x, ad * bd);
        if (aNegative != bNegative)
            ExpectRational(a - b, aNegative, x + y, ad * bd);

        ExpectRational(a * b, aNegative != bNegative, an * bn, ad * bd);

        // a > b by exact cross products of the reduced terms.
        const Wide reducedA = ToWide(a.numerator) * ToWide(b.denominator);
        const Wide reducedB = ToWide(b.numerator) * ToWide(a.denominator);
        bool greater;
        if (a.negative != b.negative)
            greater = b.negative;
        else
            greater = a.negative ? reducedA < reducedB : reducedA > reducedB;
        EXPECT_EQ(a > b, greater) << round;
        const Rational least = Rational::Min(a, b);
        EXPECT_TRUE(least == (greater ? b : a)) << round;
    }
}
