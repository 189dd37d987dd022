// SPDX-License-Identifier: GPL-3.0-or-later
#include "lessonexamples.h"

std::span<const LessonExample> lessonExamples()
{
    // A row left out of an example has amplitude 0: plotted, it lies on the axis.
    static const LessonExample examples[] = {
        {{QStringLiteral("Rázy"), {{{"8", "0", "50"}, {"9", "0", "50"}, {"1", "0", "0"}}}},
         QStringLiteral("Dva kmity se stejnou amplitudou a blízkými frekvencemi se střídavě "
                        "zesilují a ruší, takže amplituda součtu pomalu kolísá s frekvencí "
                        "rovnou rozdílu jejich frekvencí.")},
        {{QStringLiteral("Konstruktivní interference"),
          {{{"2", "0", "40"}, {"2", "0", "20"}, {"1", "0", "0"}}}},
         QStringLiteral("Kmity se stejnou frekvencí i fází se skládají ve fázi: amplituda "
                        "součtu je součtem jejich amplitud.")},
        {{QStringLiteral("Destruktivní interference"),
          {{{"2", "0", "40"}, {"2", "180", "40"}, {"1", "0", "0"}}}},
         QStringLiteral("Kmity se stejnou frekvencí a amplitudou, ale s fázemi lišícími se "
                        "o 180°, se navzájem ruší: jejich součet je nulový.")},
        {{QStringLiteral("Fázový posun"), {{{"2", "0", "40"}, {"2", "90", "40"}, {"1", "0", "0"}}}},
         QStringLiteral("Kmity se stejnou frekvencí posunuté o 90°, tedy o čtvrt periody, dávají "
                        "kmit téže frekvence s fází mezi nimi a amplitudou √2krát větší.")},
        {{QStringLiteral("Tři harmonické"),
          {{{"1", "0", "20"}, {"2", "0", "20"}, {"3", "0", "20"}}}},
         QStringLiteral("Výchozí hodnoty programu: základní kmit s druhou a třetí harmonickou "
                        "dávají kmit s periodou základního kmitu, který už není sinusový.")},
        {{QStringLiteral("Obdélníkový průběh"),
          {{{"1", "0", "60"}, {"3", "0", "20"}, {"5", "0", "12"}}}},
         QStringLiteral("Základní kmit s třetí a pátou harmonickou o třetinové a pětinové "
                        "amplitudě, první tři členy Fourierovy řady, se blíží obdélníkovému "
                        "průběhu.")},
    };
    return examples;
}
