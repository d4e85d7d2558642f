// The media player's volume kept between viewers: "Media Volume" under the
// program's settings key, an 8-byte little-endian double from 0.0 to 1.0.
#pragma once

// Name of the registry value.
extern const wchar_t MediaVolumeValueName[];
// The volume when none (or a broken one) is stored.
constexpr double DefaultMediaVolume = 0.5;

// The stored volume; a value of the wrong type or size, or outside 0.0 to
// 1.0, is deleted and the default answered.
double ReadMediaVolume();
// Stores the volume; a failed write deletes the value.
void WriteMediaVolume(double volume);
