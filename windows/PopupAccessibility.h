#pragma once

class QDialog;

// What the notes popup and the help window tell a screen reader: each note and each memo named by
// the heading above it, the pictures and dividers that only decorate left out. Call at the end of
// the window's construction.
void describeNotesPopup(QDialog *popup);
void describeHelpWindow(QDialog *help);
