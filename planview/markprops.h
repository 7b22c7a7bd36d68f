// What the mark property dialog offers and accepts, without the dialog.
#pragma once

#include <QRgb>
#include <QString>

#include <array>

namespace tidrun {

// The 16 basic colours in the order the colour list shows them: black, maroon, green,
// olive, navy, purple, teal, gray, silver, red, lime, yellow, blue, fuchsia, aqua, white.
const std::array<QRgb, 16>& BasicColours();

// Empty when the name can be stored in the mark file, else the error to show. The file
// quotes names with blanks in double quotes, so a name holding one could not be read back.
QString ValidateMarkName(const QString& name);

}  // namespace tidrun
