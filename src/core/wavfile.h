// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "synthesis.h"

#include <QByteArray>

#include <cstdint>
#include <span>
#include <vector>

// A sound as a WAV file: RIFF/WAVE, 16-bit PCM, one channel. Writing the file itself goes
// through SaveFile::write.
namespace WavFile {

inline constexpr int SavedSeconds = 5;

// The whole file. The header's fields are written byte by byte, little-endian, whatever the
// machine's byte order. A file holds fewer than 2^31 samples.
QByteArray encode(std::span<const std::int16_t> samples, int sampleRate);

// The selection's first SavedSeconds seconds, faded in and out, so the file starts and ends in
// silence wherever it is played (a slide, a loop).
std::vector<std::int16_t> fiveSeconds(const Synthesis &synthesis, Selection selection);

} // namespace WavFile
