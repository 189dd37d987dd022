// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <cstdint>
#include <memory>
#include <span>

// The sound server's output as the player uses it. It comes from a module of its own, the only
// part of the program that links Qt Multimedia, loaded when a sound is first played: starting
// the program loads neither that library nor the many it needs. Everything here is used from
// the player's thread only.

// One stream of 16-bit mono samples to the default output.
class SoundDevice
{
public:
    virtual ~SoundDevice() = default;

    // Opens the stream, the server holding about heldBytes of it; false when it can't.
    virtual bool open(int sampleRate, qsizetype heldBytes) = 0;
    // The bytes the stream takes now, or -1 once it has failed.
    virtual qsizetype bytesFree() = 0;
    // At most bytesFree() bytes.
    virtual void write(std::span<const std::int16_t> samples) = 0;
    // Closes the stream; whatever the server still held of it is dropped.
    virtual void close() = 0;
};

class SoundModule
{
public:
    virtual ~SoundModule() = default;

    // Whether there is a default sound output (a sound server with a device).
    virtual bool hasOutput() = 0;
    virtual std::unique_ptr<SoundDevice> createDevice() = 0;
};

// The module's one entry point, under this name.
extern "C" SoundModule *vibratonSoundModule();
