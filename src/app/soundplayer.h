// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "synthesis.h"

#include <QObject>
#include <QString>

#include <optional>

class SoundStream;

// Plays a sound through the desktop's default sound output, on a thread of its own: what the
// window does (a plot, a resize, a drag at 4K) never makes the sound wait. Starting fades in,
// stopping and replacing fade out, so neither clicks. Nothing of it (the thread, the sound
// library, the connection to the sound server) is started before the first sound.
class SoundPlayer : public QObject
{
    Q_OBJECT

public:
    explicit SoundPlayer(QObject *parent = nullptr);
    // Fades out what plays, and waits (briefly) until it has been heard.
    ~SoundPlayer() override;

    // Why no sound can be played here (no sound server, no device, the sound module missing), or
    // nothing when it can.
    static std::optional<QString> whyNoSound();

    // Plays the selection until stop() or the next play(), which replaces it.
    void play(const Synthesis &synthesis, Selection selection);
    void stop();

signals:
    // The sound output failed while playing, or could not be opened for a sound, in Czech.
    void failed(const QString &reason);

private:
    SoundStream *stream();

    SoundStream *m_stream = nullptr; // Lives on the sound thread; made on first use.
};
