// Tab drag and drop on the tab strip.
#include "widgets/tabDropTarget.h"
#include "widgets/tabRendererMgr.h"
#include "widgets/tabStrip.h"
#include "widgets/tabbedNotebook.h"

wxDragResult TabStrip::OnDropTarget(int, int, int, wxWindow*) { return wxDragNone; }

void TabStrip::MoveTabPage(int, int) {}

void TabStrip::ShowDropHint() {}
