// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "oscillation.h"

#include <array>

class QLineEdit;

// The window's three input rows, each a frequency, an initial phase in degrees and an
// amplitude field. The window lists its fields here once; the commands and every unit that
// reads or fills the nine texts (sound, lesson files) go through this.
class InputRows
{
public:
    static constexpr std::size_t Count = 3;

    struct Fields
    {
        QLineEdit *frequency;
        QLineEdit *phase;
        QLineEdit *amplitude;
    };

    explicit InputRows(const std::array<Fields, Count> &rows)
        : m_rows(rows)
    {}

    // One row's texts as typed.
    OscillationTexts texts(std::size_t row) const;
    // All three rows' texts as typed, from the first.
    std::array<OscillationTexts, Count> texts() const;
    // Fills the nine fields, from the first row.
    void setTexts(const std::array<OscillationTexts, Count> &texts) const;
    // The nine fields, row by row in the order frequency, phase, amplitude.
    std::array<QLineEdit *, 3 * Count> fields() const;

private:
    std::array<Fields, Count> m_rows;
};
