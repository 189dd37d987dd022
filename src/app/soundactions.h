// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "inputrows.h"
#include "numbertext.h"
#include "oscillation.h"
#include "synthesis.h"

#include <QObject>

#include <array>

class Dialogs;
class QAction;
class QActionGroup;
class SoundPlayer;

// The plot area's "Zvuk" menu: each row and the sum heard as the curves drawn from the same
// values, stopping, saving five seconds as WAV, and the pitch that frequency 1 sounds at.
class SoundActions : public QObject
{
    Q_OBJECT

public:
    // The actions declared in the window's form.
    struct Actions
    {
        std::array<QAction *, 4> play; // First, second, third row, the sum.
        QAction *stop;
        QAction *save;
        std::array<QAction *, 4> pitches; // 55, 110, 220, 440 Hz.
    };

    SoundActions(const Actions &actions, const InputRows &rows, const NumberText &numbers,
                 Dialogs &dialogs, QObject *parent = nullptr);

    void play(Selection selection);
    void stop();
    void save();
    // Whether a sound plays: Esc stops it before it ends measuring.
    bool isPlaying() const { return m_playing; }

private:
    int unitPitchHz() const;
    // The selection as sound, or nothing after telling the user why not.
    std::optional<Synthesis> prepare(Selection selection) const;
    void setUpPitches(const std::array<QAction *, 4> &pitches);

    InputRows m_rows;
    NumberText m_numbers;
    Dialogs &m_dialogs;
    QActionGroup *m_pitches = nullptr;
    SoundPlayer *m_player = nullptr;
    Selection m_lastChosen = Selection::Superposition;
    bool m_playing = false;
};
