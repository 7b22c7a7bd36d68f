// What the mark property dialog offers and accepts, without the dialog; the sixteen basic
// colours of the marks and of the map's background.
#pragma once

#include <QRgb>
#include <QString>

#include <array>

namespace tidrun {

// One basic colour: the name kept in Tidrun.CFG ("Teal"), its value, the name shown ("青緑").
struct TBasicColour {
    const char* name;
    QRgb rgb;
    const char* shown;  // UTF-8
};
// The 16 basic colours in the order the colour lists show them: black, maroon, green,
// olive, navy, purple, teal, gray, silver, red, lime, yellow, blue, fuchsia, aqua, white.
const std::array<TBasicColour, 16>& BasicColourTable();
const std::array<QRgb, 16>& BasicColours();
// The basic colour kept under `name` (any letter case), or nothing.
const TBasicColour* BasicColourNamed(const QString& name);

// Empty when the name can be stored in the mark file, else the error to show. The file
// quotes names with blanks in double quotes, so a name holding one could not be read back.
QString ValidateMarkName(const QString& name);

}  // namespace tidrun
