// The size of the text "Tp" in the bold system GUI font: the notebook sizes its strip and tabs
// from it.
#ifndef PARLAVOX_WIDGETS_TABTEXTMETRICS_H
#define PARLAVOX_WIDGETS_TABTEXTMETRICS_H

#include <wx/gdicmn.h>

wxSize MeasureBoldTabText();

#endif
