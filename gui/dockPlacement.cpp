#include "gui/dockPlacement.h"

#include <wx/display.h>
#include <wx/window.h>

#include <algorithm>

namespace dock {

namespace {

// The lowest start of a span of `length` in [low, high): a span too long starts at low.
int Clamp(int start, int length, int low, int high) { return std::max(low, std::min(start, high - length)); }

}  // namespace

wxPoint Beside(const wxRect& main, const wxSize& size, int top, const wxRect& area) {
  const int left = main.GetLeft() - size.GetWidth();
  const int right = main.GetRight() + 1;
  const int roomLeft = main.GetLeft() - area.GetLeft();
  const int roomRight = area.GetRight() - main.GetRight();
  int x = left;
  // Where neither side has room, the side with more: the window then covers the main window's
  // edge on that side, its right one when both are alike (the tool bar starts at the left).
  if (roomLeft < size.GetWidth() && (roomRight >= size.GetWidth() || roomRight >= roomLeft)) x = right;
  return Inside(wxRect(wxPoint(x, top), size), area);
}

wxPoint Inside(const wxRect& rect, const wxRect& area) {
  return wxPoint(Clamp(rect.GetLeft(), rect.GetWidth(), area.GetLeft(), area.GetRight() + 1),
                 Clamp(rect.GetTop(), rect.GetHeight(), area.GetTop(), area.GetBottom() + 1));
}

wxRect WorkArea(const wxWindow* window) {
  int index = window ? wxDisplay::GetFromWindow(window) : wxNOT_FOUND;
  if (index == wxNOT_FOUND) index = 0;
  const wxRect area = wxDisplay(static_cast<unsigned>(index)).GetClientArea();
  if (!area.IsEmpty()) return area;
  return wxDisplay(static_cast<unsigned>(index)).GetGeometry();
}

void DockTo(wxWindow* window, const wxWindow* main, int top) {
  window->Move(Beside(main->GetScreenRect(), window->GetSize(), top, WorkArea(main)));
}

void KeepInside(wxWindow* window) {
  const wxRect rect = window->GetScreenRect();
  const wxPoint at = Inside(rect, WorkArea(window));
  if (at != rect.GetTopLeft()) window->Move(at);
}

}  // namespace dock
