// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

#include <cstdint>
#include <span>

// A sound as a WAV file: RIFF/WAVE, 16-bit PCM, one channel. Writing the file itself goes
// through SaveFile::write.
namespace WavFile {

// The whole file. The header's fields are written byte by byte, little-endian, whatever the
// machine's byte order. A file holds fewer than 2^31 samples.
QByteArray encode(std::span<const std::int16_t> samples, int sampleRate);

} // namespace WavFile
