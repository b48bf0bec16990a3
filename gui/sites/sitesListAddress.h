// A site's address as the user types it into the sites manager: checked, then written the way
// the browser extension reports sites, so that the site typed and the site browsed are one.
#ifndef PARLAVOX_GUI_SITES_SITESLISTADDRESS_H
#define PARLAVOX_GUI_SITES_SITESLISTADDRESS_H

#include <wx/string.h>

#include <string>

struct TypedSite {
  // The address to hand to the controller; empty when refused.
  std::string address;
  // Why the text was refused, for the user; empty when accepted.
  wxString refusal;
};

// Blanks around the text are dropped. Refused: nothing left, more than kMaxTypedSiteBytes bytes,
// blanks or control characters inside, no host. "http://" goes in front of a text without
// a scheme; the scheme and the host are lower-cased; a bare host gets the "/" of its first page.
TypedSite CheckTypedSite(const wxString& typed);

constexpr size_t kMaxTypedSiteBytes = 2048;

#endif
