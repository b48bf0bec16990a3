#include "tests/gui/textFit.h"

#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <dlfcn.h>

#include <cstdlib>
#include <cstring>

namespace textfit {

namespace {

std::string Text(const wxRect& r) {
  return std::to_string(r.x) + "," + std::to_string(r.y) + " " + std::to_string(r.width) + "x" +
         std::to_string(r.height);
}

bool Within(const wxRect& inner, const wxRect& outer) {
  return inner.GetLeft() >= outer.GetLeft() && inner.GetTop() >= outer.GetTop() &&
         inner.GetRight() <= outer.GetRight() && inner.GetBottom() <= outer.GetBottom();
}

// The text a static text or a button shows; empty for other windows.
wxString Shown(wxWindow* window) {
  if (dynamic_cast<wxStaticText*>(window) || dynamic_cast<wxButton*>(window))
    return static_cast<wxControl*>(window)->GetLabelText();
  return wxString();
}

std::string Name(wxWindow* window) {
  const wxString name = window->GetClassInfo()->GetClassName();
  return std::string(name.utf8_str()) + " \"" + std::string(Shown(window).utf8_str()) + "\"";
}

// The entry that shows the text of a one-line field or of a combo box; null for other windows.
void* EntryOf(wxWindow* window) {
  using BinChild = void* (*)(void*);
  static const auto childOf = reinterpret_cast<BinChild>(dlsym(RTLD_DEFAULT, "gtk_bin_get_child"));
  if (!window->GetHandle()) return nullptr;
  if (auto* field = dynamic_cast<wxTextCtrl*>(window)) return field->IsMultiLine() ? nullptr : field->GetHandle();
  if (dynamic_cast<wxComboBox*>(window) && childOf) return childOf(window->GetHandle());
  return nullptr;
}

// A one-line field or a combo box: the room the tool kit leaves for its text, and the size the
// text takes there (as wide as it lays out, as high as its letters are drawn); false for any
// other window.
bool FieldRoom(wxWindow* window, wxSize* room, wxSize* text) {
  struct Rect {
    int x, y, width, height;
  };
  using GetLayout = void* (*)(void*);
  using GetArea = void (*)(void*, Rect*);
  using Extents = void (*)(void*, Rect*, Rect*);
  static const auto layoutOf = reinterpret_cast<GetLayout>(dlsym(RTLD_DEFAULT, "gtk_entry_get_layout"));
  static const auto areaOf = reinterpret_cast<GetArea>(dlsym(RTLD_DEFAULT, "gtk_entry_get_text_area"));
  static const auto extentsOf = reinterpret_cast<Extents>(dlsym(RTLD_DEFAULT, "pango_layout_get_pixel_extents"));
  void* entry = EntryOf(window);
  if (!entry || !layoutOf || !areaOf || !extentsOf) return false;
  void* layout = layoutOf(entry);
  if (!layout) return false;
  Rect area{}, ink{}, logical{};
  areaOf(entry, &area);
  extentsOf(layout, &ink, &logical);
  *room = wxSize(area.width, area.height);
  *text = wxSize(logical.width, ink.height);
  return true;
}

void CheckField(wxWindow* window, std::string* faults) {
  wxSize room, text;
  if (!FieldRoom(window, &room, &text)) return;
  const wxString value = dynamic_cast<wxTextEntry*>(window)->GetValue();
  const std::string name = "field \"" + std::string(value.utf8_str()) + "\"";
  if (room.x < text.x || room.y < text.y)
    *faults += name + " has " + std::to_string(room.x) + "x" + std::to_string(room.y) + " for its text of " +
               std::to_string(text.x) + "x" + std::to_string(text.y) + "\n";
  const int line = window->GetTextExtent(value.empty() ? wxString("Ag") : value).y;
  const int high = window->GetSize().y;
  if (high < line)
    *faults += name + " is " + std::to_string(high) + " high for a line of " + std::to_string(line) + "\n";
}

void CheckText(wxWindow* window, std::string* faults) {
  CheckField(window, faults);
  const wxString shown = Shown(window);
  if (shown.empty()) return;
  const wxSize text = window->GetTextExtent(shown);
  const wxSize size = window->GetSize();
  if (size.y < text.y)
    *faults += Name(window) + " is " + std::to_string(size.y) + " high for a line of " + std::to_string(text.y) + "\n";
  if (size.x + 1 < text.x && !DrawnEllipsized(window))
    *faults += Name(window) + " is " + std::to_string(size.x) + " wide for its text of " + std::to_string(text.x) + "\n";
}

}  // namespace

bool DrawnEllipsized(wxWindow* label) {
  using GetLayout = void* (*)(void*);
  using IsEllipsized = int (*)(void*);
  static const auto layoutOf = reinterpret_cast<GetLayout>(dlsym(RTLD_DEFAULT, "gtk_label_get_layout"));
  static const auto ellipsized = reinterpret_cast<IsEllipsized>(dlsym(RTLD_DEFAULT, "pango_layout_is_ellipsized"));
  if (!dynamic_cast<wxStaticText*>(label) || !layoutOf || !ellipsized || !label->GetHandle()) return false;
  void* layout = layoutOf(label->GetHandle());
  return layout && ellipsized(layout);
}

bool Cut(wxWindow* text) { return DrawnEllipsized(text) || Shown(text).EndsWith("..."); }

bool WholeOrCut(wxWindow* text, const wxString& whole) {
  const wxString shown = Shown(text);
  wxString kept;
  return shown == whole || (shown.EndsWith("...", &kept) && whole.StartsWith(kept) && kept != whole);
}

std::string Faults(wxWindow* holder, const std::vector<wxWindow*>& windows) {
  std::string faults;
  const wxRect outer = holder->GetScreenRect();
  for (size_t i = 0; i < windows.size(); ++i) {
    const wxRect rect = windows[i]->GetScreenRect();
    if (!Within(rect, outer)) faults += Name(windows[i]) + " at " + Text(rect) + " outside " + Text(outer) + "\n";
    for (size_t j = 0; j < i; ++j)
      if (rect.Intersects(windows[j]->GetScreenRect()))
        faults += Name(windows[i]) + " at " + Text(rect) + " over " + Name(windows[j]) + " at " +
                  Text(windows[j]->GetScreenRect()) + "\n";
    CheckText(windows[i], &faults);
  }
  return faults;
}

bool LargeFont(wxWindow* window) {
  const char* scale = getenv("GDK_DPI_SCALE");
  if (!scale || std::strcmp(scale, "2") != 0) return false;
  // About 19 pixels high at the usual size.
  const wxFont font(wxFontInfo(12));
  int width = 0, height = 0;
  window->GetTextExtent("Ag", &width, &height, nullptr, nullptr, &font);
  EXPECT_GE(height, 32) << "the fonts are not twice as large";
  return true;
}

}  // namespace textfit
