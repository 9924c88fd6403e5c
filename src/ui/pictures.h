// Pictures that the program draws itself: suit symbols, the 35 contract
// pictures, the step-button glyphs, the fold arrows and the program icon.
#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QRectF>

class QPainter;

namespace nvx {

// Red for diamonds and hearts, black for clubs, spades and notrump.
QColor StrainColor(int strain);

// Draws the symbol of strain 0 clubs, 1 diamonds, 2 hearts, 3 spades centred in r;
// strain 4 (notrump) draws "NT".
void PaintStrainSymbol(QPainter& p, const QRectF& r, int strain);

// The picture of the contract at level 1..7 in the strain: the level and the symbol.
QPixmap ContractPicture(int level, int strain, const QSize& size = QSize(40, 22));

enum class Glyph { First, Back, Next, Last, Down, Up };
QIcon GlyphIcon(Glyph glyph, int side = 16);

QIcon ProgramIcon();
QPixmap ProgramPicture(int side);

} // namespace nvx
