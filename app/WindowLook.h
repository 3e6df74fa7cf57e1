#pragma once

#include <QFont>
#include <QIcon>

class QLabel;

// The look every window of the program shares.

// MS Sans Serif 8 pt where it exists, else the nearest sans-serif at the same 11 pixels.
QFont windowFont();

// A link label's hover look: underlined while the pointer is over it, no style otherwise.
void setUnderlined(QLabel *label, bool underlined);

// The program's icon, for the title bar of every window it opens.
QIcon programIcon();
