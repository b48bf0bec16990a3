// The pictures of a site's header that answer clicks: the fold icons, the comments icon and the
// room icons. Each is a plain picture; the site's panel binds their clicks.
#ifndef PARLAVOX_GUI_SITES_SITEBUTTONS_H
#define PARLAVOX_GUI_SITES_SITEBUTTONS_H

#include <wx/statbmp.h>

class SiteButtonBitmap : public wxStaticBitmap {
 public:
  SiteButtonBitmap(wxWindow* parent, const wxBitmap& bitmap) : wxStaticBitmap(parent, wxID_ANY, bitmap) {}
};

class SiteButtonBitmapMessages : public wxStaticBitmap {
 public:
  SiteButtonBitmapMessages(wxWindow* parent, const wxBitmap& bitmap) : wxStaticBitmap(parent, wxID_ANY, bitmap) {}
};

class ChatButtonBitmap : public wxStaticBitmap {
 public:
  ChatButtonBitmap(wxWindow* parent, const wxBitmap& bitmap) : wxStaticBitmap(parent, wxID_ANY, bitmap) {}
};

#endif
