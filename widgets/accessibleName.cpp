#include "widgets/accessibleName.h"

#include <wx/window.h>

#include "widgets/toolkitFunction.h"

namespace accessible {

namespace {

// The toolkit's accessibility calls, found in the libraries the program already runs with (the
// build has no toolkit headers). Null where the toolkit lacks them.
using GetAccessible = void* (*)(void*);
using SetAtkName = void (*)(void*, const char*);
using GetAtkName = const char* (*)(void*);

void* AccessibleOf(wxWindow* window) {
  static const GetAccessible get = toolkit::Find<GetAccessible>("gtk_widget_get_accessible");
  if (!get || !window || !window->GetHandle()) return nullptr;
  return get(window->GetHandle());
}

}  // namespace

void SetName(wxWindow* window, const wxString& name) {
  static const SetAtkName set = toolkit::Find<SetAtkName>("atk_object_set_name");
  void* object = AccessibleOf(window);
  if (set && object) set(object, name.utf8_str());
}

wxString GetName(wxWindow* window) {
  static const GetAtkName get = toolkit::Find<GetAtkName>("atk_object_get_name");
  void* object = AccessibleOf(window);
  const char* name = get && object ? get(object) : nullptr;
  return name ? wxString::FromUTF8(name) : wxString();
}

}  // namespace accessible
