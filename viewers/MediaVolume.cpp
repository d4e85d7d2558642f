#include "viewers/MediaVolume.h"

#include "foundation/Registry.h"

#include <windows.h>

const wchar_t MediaVolumeValueName[] = L"Media Volume";

double ReadMediaVolume()
{
    RegistryKey key;
    if (!key.Create(HKEY_CURRENT_USER, ProgramSettingsKeyPath(), KEY_ALL_ACCESS))
        return DefaultMediaVolume;
    double volume = DefaultMediaVolume;
    const RegistryRead read = ReadFixedValue(key, MediaVolumeValueName, REG_BINARY, &volume, sizeof(volume));
    // "!(in range)" also turns away a stored NaN.
    if (read != RegistryRead::Ok || !(volume >= 0.0 && volume <= 1.0))
    {
        key.Delete(MediaVolumeValueName);
        return DefaultMediaVolume;
    }
    return volume;
}

void WriteMediaVolume(double volume)
{
    WriteProductValue(MediaVolumeValueName, REG_BINARY, &volume, sizeof(volume));
}
