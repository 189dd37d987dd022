// SPDX-License-Identifier: GPL-3.0-or-later
#include "inputrows.h"

#include <QLineEdit>

namespace {

// Each field beside the text it holds, in the order of the form's fields.
struct Column
{
    QLineEdit *InputRows::Fields::*field;
    QString OscillationTexts::*text;
};
constexpr std::array<Column, 3> Columns = {{
    {&InputRows::Fields::frequency, &OscillationTexts::frequency},
    {&InputRows::Fields::phase, &OscillationTexts::phase},
    {&InputRows::Fields::amplitude, &OscillationTexts::amplitude},
}};

} // namespace

OscillationTexts InputRows::texts(std::size_t row) const
{
    OscillationTexts texts;
    for (const Column &column : Columns)
        texts.*column.text = (m_rows[row].*column.field)->text();
    return texts;
}

std::array<OscillationTexts, InputRows::Count> InputRows::texts() const
{
    std::array<OscillationTexts, Count> all;
    for (std::size_t row = 0; row < Count; ++row)
        all[row] = texts(row);
    return all;
}

void InputRows::setTexts(const std::array<OscillationTexts, Count> &texts) const
{
    for (std::size_t row = 0; row < Count; ++row) {
        for (const Column &column : Columns)
            (m_rows[row].*column.field)->setText(texts[row].*column.text);
    }
}

std::array<QLineEdit *, 3 * InputRows::Count> InputRows::fields() const
{
    std::array<QLineEdit *, 3 * Count> all{};
    auto next = all.begin();
    for (const Fields &row : m_rows) {
        for (const Column &column : Columns)
            *next++ = row.*column.field;
    }
    return all;
}
