#include "controltable.h"

#include <array>

namespace {

using enum ControlKind;
using enum ControlFont;

constexpr QRgb NoColour = 0;

// The phase label shows the Greek phi; the unit of the phase field, the degree sign, opens the
// label after it.
const std::array Controls = {
    // Row 1
    ControlSpec{"Label4", Label, {0, 240, 855, 255}, "První graf", RowTitle, 9, NoColour},
    ControlSpec{"Label1", Label, {1080, 240, 255, 375}, " f=", Window, 5, NoColour},
    ControlSpec{"Text1", TextField, {1320, 240, 975, 285}, "1", Window, 2, NoColour},
    ControlSpec{"Label2", Label, {2400, 240, 375, 375}, "φ_0 =", Phase, 6, NoColour},
    ControlSpec{"Text2", TextField, {2880, 240, 855, 285}, "0", Window, 3, NoColour},
    ControlSpec{"Label3", Label, {3840, 240, 735, 375}, "°  y_m =", Window, 7, NoColour},
    ControlSpec{"Text3", TextField, {4560, 240, 855, 285}, "20", Window, 4, NoColour},
    ControlSpec{"Line1", ColourKey, {5640, 360, 360, 0}, "", Window, -1, qRgb(0, 0, 255)},
    ControlSpec{"Command1", Button, {6240, 240, 855, 375}, "Kreslit", Window, 0, NoColour},
    // Row 2
    ControlSpec{"Label5", Label, {0, 600, 975, 375}, "Druhý graf", RowTitle, 10, NoColour},
    ControlSpec{"Label6", Label, {1080, 600, 255, 375}, " f=", Window, 11, NoColour},
    ControlSpec{"Text4", TextField, {1320, 600, 975, 285}, "2", Window, 14, NoColour},
    ControlSpec{"Label7", Label, {2400, 600, 375, 375}, "φ_0 =", Phase, 12, NoColour},
    ControlSpec{"Text5", TextField, {2880, 600, 855, 285}, "0", Window, 15, NoColour},
    ControlSpec{"Label8", Label, {3840, 600, 735, 375}, "°  y_m =", Window, 13, NoColour},
    ControlSpec{"Text6", TextField, {4560, 600, 855, 285}, "20", Window, 16, NoColour},
    ControlSpec{"Line2", ColourKey, {5640, 720, 360, 0}, "", Window, -1, qRgb(255, 0, 0)},
    ControlSpec{"Command3", Button, {6240, 600, 855, 375}, "Kreslit", Window, 17, NoColour},
    // Row 3
    ControlSpec{"Label9", Label, {0, 960, 975, 255}, "Třetí graf", RowTitle, 19, NoColour},
    ControlSpec{"Label10", Label, {1080, 960, 255, 375}, " f=", Window, 20, NoColour},
    ControlSpec{"Text7", TextField, {1320, 960, 975, 285}, "3", Window, 23, NoColour},
    ControlSpec{"Label11", Label, {2400, 960, 375, 375}, "φ_0 =", Phase, 21, NoColour},
    ControlSpec{"Text8", TextField, {2880, 960, 855, 285}, "0", Window, 24, NoColour},
    ControlSpec{"Label12", Label, {3840, 960, 735, 375}, "°  y_m =", Window, 22, NoColour},
    ControlSpec{"Text9", TextField, {4560, 960, 855, 285}, "20", Window, 25, NoColour},
    ControlSpec{"Line3", ColourKey, {5640, 1080, 360, 0}, "", Window, -1, qRgb(0, 192, 0)},
    ControlSpec{"Command4", Button, {6240, 960, 855, 375}, "Kreslit", Window, 18, NoColour},
    // The rest
    ControlSpec{"Command5", Button, {7080, 240, 855, 1095}, "Složit", Window, 26, NoColour},
    ControlSpec{"Command2", Button, {0, 1440, 2655, 375}, "Vymazat grafy", Window, 8, NoColour},
    ControlSpec{"Picture1", PlotArea, {0, 1920, 8775, 4335}, "", Window, 1, NoColour},
    ControlSpec{"StatusBar1", StatusStrip, {0, 6270, 8760, 255}, "", Window, 27, NoColour},
};

// Each field's label is the same in all three rows, so a field is named by its row and quantity.
const std::array Accessibility = {
    AccessibleSpec{"Text1", "Label1", "První graf, frekvence", nullptr},
    AccessibleSpec{"Text2", "Label2", "První graf, počáteční fáze ve stupních", nullptr},
    AccessibleSpec{"Text3", "Label3", "První graf, amplituda", nullptr},
    AccessibleSpec{"Text4", "Label6", "Druhý graf, frekvence", nullptr},
    AccessibleSpec{"Text5", "Label7", "Druhý graf, počáteční fáze ve stupních", nullptr},
    AccessibleSpec{"Text6", "Label8", "Druhý graf, amplituda", nullptr},
    AccessibleSpec{"Text7", "Label10", "Třetí graf, frekvence", nullptr},
    AccessibleSpec{"Text8", "Label11", "Třetí graf, počáteční fáze ve stupních", nullptr},
    AccessibleSpec{"Text9", "Label12", "Třetí graf, amplituda", nullptr},
    AccessibleSpec{"Command1", nullptr, nullptr, "Nakreslí první graf"},
    AccessibleSpec{"Command3", nullptr, nullptr, "Nakreslí druhý graf"},
    AccessibleSpec{"Command4", nullptr, nullptr, "Nakreslí třetí graf"},
    AccessibleSpec{"Command5", nullptr, nullptr, "Nakreslí součet všech tří grafů"},
    AccessibleSpec{"Command2", nullptr, nullptr, "Vymaže všechny grafy"},
    AccessibleSpec{"Picture1", nullptr, "Pole grafu", "Grafy kmitů nad časovou osou"},
    AccessibleSpec{"StatusBar1", nullptr, "Stavový řádek", nullptr},
};

} // namespace

std::span<const ControlSpec> ControlTable::controls()
{
    return Controls;
}

std::span<const AccessibleSpec> ControlTable::accessibility()
{
    return Accessibility;
}
