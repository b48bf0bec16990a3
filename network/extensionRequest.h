// Tells the browser extension's own requests from those a web page makes the browser send to the
// extension listener. A page can reach the listener's address with a fetch, an image, a form, a
// frame or its own navigation; the browser then marks the request with metadata that the page
// cannot remove: Sec-Fetch-Site, Sec-Fetch-Mode and Sec-Fetch-Dest, and an Origin or Referer of
// the page. An extension's background request carries "none", "cors" and "empty", and no origin
// but the extension's own. A request with none of these fields (an older browser or extension)
// is served as it always was.
#ifndef PARLAVOX_NETWORK_EXTENSIONREQUEST_H
#define PARLAVOX_NETWORK_EXTENSIONREQUEST_H

#include <string>
#include <vector>

#include "network/httpRequestHead.h"

// What it reads is made once and never destroyed: the listener's thread reads it, and one that
// did not end in time may still run while the process exits and its statics go.
class ExtensionRequest {
 public:
  // The header fields the check reads, for the head reader to keep.
  static const std::vector<std::string>& CheckedFields();
  // Whether a request line is one the listener serves, "GET /<path> HTTP/<version>" (GET and
  // HTTP in any case); path then gets what lies between "GET /" and the last " HTTP/".
  static bool ReadPath(const std::string& requestLine, std::string* path);
  // Empty when the request may be served. Otherwise what refuses it: the name of the field that
  // shows a web page (or the listener's address renamed), or "header size" for a head too large
  // to be checked. port: the listener's own port, which the Host field must name.
  static std::string Refusal(const HttpRequestHead& head, unsigned short port);
};

#endif
