#include "viewers/MediaVolume.h"

#include "foundation/Registry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

TEST(MediaVolume, StoredValuesAreCheckedBeforeUse)
{
    const double quarter = 0.37, tooLoud = 1.5, negative = -0.01, notANumber = std::nan("");
    const BYTE six[6] = {};
    const DWORD word = 1;
    const struct
    {
        const void* data;
        DWORD type;
        DWORD size;
        double read;
        bool kept;
    } cases[] = {
        {&quarter, REG_BINARY, sizeof(double), 0.37, true},
        {&tooLoud, REG_BINARY, sizeof(double), 0.5, false},
        {&negative, REG_BINARY, sizeof(double), 0.5, false},
        {&notANumber, REG_BINARY, sizeof(double), 0.5, false},
        {six, REG_BINARY, sizeof(six), 0.5, false},
        {&word, REG_DWORD, sizeof(word), 0.5, false},
        {nullptr, 0, 0, 0.5, false},
    };
    for (const auto& c : cases)
    {
        DeleteProductValue(MediaVolumeValueName);
        if (c.data)
        {
            ASSERT_TRUE(WriteProductValue(MediaVolumeValueName, c.type, c.data, c.size));
        }
        EXPECT_DOUBLE_EQ(ReadMediaVolume(), c.read) << c.read << " from " << c.size << " bytes";
        double stored = 0;
        EXPECT_EQ(ReadProductValue(MediaVolumeValueName, REG_BINARY, &stored, sizeof(stored)) == RegistryRead::Ok,
                  c.kept);
    }
}

TEST(MediaVolume, WrittenAsEightLittleEndianBytes)
{
    WriteMediaVolume(0.63);
    unsigned char bytes[8] = {};
    ASSERT_EQ(ReadProductValue(MediaVolumeValueName, REG_BINARY, bytes, sizeof(bytes)), RegistryRead::Ok);
    // 0.63 as an IEEE-754 double is 0x3FE428F5C28F5C29.
    const unsigned char expected[8] = {0x29, 0x5C, 0x8F, 0xC2, 0xF5, 0x28, 0xE4, 0x3F};
    EXPECT_EQ(std::memcmp(bytes, expected, sizeof(bytes)), 0);
    EXPECT_DOUBLE_EQ(ReadMediaVolume(), 0.63);
    DeleteProductValue(MediaVolumeValueName);
}
