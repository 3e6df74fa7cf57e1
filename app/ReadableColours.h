#pragma once

class QColor;
class QPalette;
class QWidget;

// The contrast ratio of two colours as accessibility guidelines define it: from 1 (the same
// luminance) to 21 (black on white). Text needs at least 4.5.
double contrastRatio(const QColor &a, const QColor &b);

// A palette whose windows are darker than their text: a dark or high-contrast system scheme.
bool isDarkPalette(const QPalette &palette);

// Under a dark system palette, the window's designed colours give way to the palette's wherever
// they would leave text below 4.5:1: white backgrounds under the palette's light text, dark blue
// links and navy or red captions on the palette's dark background, a grid's blue codes on its
// dark base. Under a light palette nothing changes.
void keepTextReadable(QWidget *window);
