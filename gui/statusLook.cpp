#include "gui/statusLook.h"

#include <wx/intl.h>

#include "model/log.h"

namespace statusLook {

wxString Name(t_status status) {
  switch (status) {
    case STATUS_NONE: return _("disconnected");
    case STATUS_OFFLINE: return _("offline");
    case STATUS_ONLINE: return _("online");
    case STATUS_NO_ACTIVITY: return _("inactive");
    case STATUS_AWAY: return _("away");
    case STATUS_BUSY: return _("busy");
  }
  return _("unknown");
}

wxColour Colour(t_status status) {
  switch (status) {
    case STATUS_NONE:
    case STATUS_OFFLINE: return wxColour(120, 120, 120);
    case STATUS_ONLINE: return wxColour(100, 150, 0);
    case STATUS_NO_ACTIVITY: return wxColour(235, 225, 10);
    case STATUS_AWAY: return wxColour(249, 150, 25);
    case STATUS_BUSY: return wxColour(255, 0, 0);
  }
  TRACE_ERROR("Unkwnown status : %d", static_cast<int>(status));
  return *wxBLACK;
}

}  // namespace statusLook
