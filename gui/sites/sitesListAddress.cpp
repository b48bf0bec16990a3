#include "gui/sites/sitesListAddress.h"

#include <wx/intl.h>

#include <cctype>

#include "model/stringConversion.h"

namespace {

// The length of the scheme before "://" at the start of `address` (a letter, then letters,
// digits, "+", "-" or "."); npos when it does not start so, as "a.com/?u=http://b.com" does not.
size_t SchemeLength(const std::string& address) {
  const size_t end = address.find("://");
  if (end == std::string::npos || end == 0 || !isalpha(static_cast<unsigned char>(address[0])))
    return std::string::npos;
  for (size_t i = 1; i < end; ++i) {
    const unsigned char c = static_cast<unsigned char>(address[i]);
    if (!isalnum(c) && c != '+' && c != '-' && c != '.') return std::string::npos;
  }
  return end;
}

}  // namespace

TypedSite CheckTypedSite(const wxString& typed) {
  TypedSite site;
  wxString text = typed;
  text.Trim(true).Trim(false);
  if (text.empty()) {
    site.refusal = _("Please type the address of a site.");
    return site;
  }
  for (wxUniChar c : text)
    if (wxIsspace(c) || wxIscntrl(c) || c.GetValue() == 0x7f || (c.GetValue() >= 0x80 && c.GetValue() < 0xa0)) {
      site.refusal = _("A site's address cannot hold blanks or control characters.");
      return site;
    }
  std::string address = wx2std(text);
  if (address.size() > kMaxTypedSiteBytes) {
    site.refusal = wxString::Format(_("This address is too long: a site's address has at most %d characters."),
                                    static_cast<int>(kMaxTypedSiteBytes));
    return site;
  }
  size_t scheme = SchemeLength(address);
  if (scheme == std::string::npos) {
    address = "http://" + address;
    scheme = 4;
  }
  const size_t host = scheme + 3;
  size_t hostEnd = address.find_first_of("/?#", host);
  if (hostEnd == host || host == address.size()) {
    site.refusal = _("Please type the address of a site.");
    return site;
  }
  if (hostEnd == std::string::npos) {
    address += "/";
    hostEnd = address.size() - 1;
  }
  site.address = AsciiLower(address.substr(0, hostEnd)) + address.substr(hostEnd);
  return site;
}
