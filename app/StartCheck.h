#pragma once

#include "app/Dialogs.h"

class TDtmMain;
class TFrmMain;

// The report of `ZELT --start-check`, made once the main window has shown: the page shown, the
// edition listed and the database opened on standard output, every message box the start raised
// on standard error. Returns the exit code: 0 when the home page shows an edition and no error
// was raised, 1 otherwise.
int reportStart(const TFrmMain &window, const TDtmMain &dtm, const dialogs::Recorder &messages);
