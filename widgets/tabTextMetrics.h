// The size of the text "Tp" in the bold system GUI font: the notebook sizes its strip and tabs
// from it.
#ifndef PARLAVOX_WIDGETS_TABTEXTMETRICS_H
#define PARLAVOX_WIDGETS_TABTEXTMETRICS_H

#include <wx/font.h>
#include <wx/gdicmn.h>

// The bold variant of the default GUI font that tab labels use.
wxFont BoldTabFont();
wxSize MeasureBoldTabText();

#endif
