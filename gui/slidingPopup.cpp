#include "gui/slidingPopup.h"

#include <wx/toplevel.h>

#include "widgets/toolkitFunction.h"

// Last: the X headers' names would shadow the tool kit's.
#include <X11/Xlib.h>

namespace slidingPopup {

void PlaceByItsOwnCorner(wxTopLevelWindow* window) {
  using SetGravity = void (*)(void*, int);
  constexpr int kStaticGravity = 10;
  static const auto set = toolkit::Find<SetGravity>("gtk_window_set_gravity");
  if (set && window->GetHandle()) set(window->GetHandle(), kStaticGravity);
}

void KeepWholePicture(wxTopLevelWindow* window) {
  using Of = void* (*)(void*);
  using Type = unsigned long (*)();
  using IsA = int (*)(void*, unsigned long);
  using Xid = unsigned long (*)(void*);
  static const auto windowOf = toolkit::Find<Of>("gtk_widget_get_window");
  static const auto x11Window = toolkit::Find<Type>("gdk_x11_window_get_type");
  static const auto isA = toolkit::Find<IsA>("g_type_check_instance_is_a");
  static const auto xidOf = toolkit::Find<Xid>("gdk_x11_window_get_xid");
  static const auto displayOf = toolkit::Find<Of>("gdk_window_get_display");
  static const auto xDisplayOf = toolkit::Find<Of>("gdk_x11_display_get_xdisplay");
  if (!windowOf || !x11Window || !isA || !xidOf || !displayOf || !xDisplayOf || !window->GetHandle()) return;
  void* shown = windowOf(window->GetHandle());
  // A window of another back end than X11 (the user may choose one) is left as it is.
  if (!shown || !isA(shown, x11Window())) return;
  XSetWindowAttributes attributes{};
  attributes.backing_store = WhenMapped;
  XChangeWindowAttributes(static_cast<Display*>(xDisplayOf(displayOf(shown))), xidOf(shown), CWBackingStore,
                          &attributes);
}

}  // namespace slidingPopup
