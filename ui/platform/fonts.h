#pragma once

#include <QFont>

namespace kakeibo {

// The few fonts the windows draw with, each made once. The windows are laid out for the
// classic Japanese Windows fonts; where the program maps one to a stand-in
// (QFont::insertSubstitution at start), the font names the stand-in itself, so that Qt
// matches a family that exists and computes no fallback lists for a name no font carries.

// Maps the classic fonts (and their Latin names) to the IPA fonts, before any window is made.
void SubstituteFonts();

// "ＭＳ Ｐゴシック" at 12 pixels: the tool windows and dialogs.
const QFont& WindowFont();
// "ＭＳ Ｐゴシック" at 9 points: the main window and the statement import.
const QFont& MainWindowFont();
// "ＭＳ ゴシック" at 12 pixels, fixed pitch: the data sheet's cells, whose figures line up.
const QFont& SheetFont();
// WindowFont at another size, bold or not: the titles and labels of the graph sheet.
QFont WindowFont(int pixels, bool bold = false);
// SheetFont at another size, bold or not: the printed sheets' titles.
QFont SheetFont(int pixels, bool bold = false);

}  // namespace kakeibo
