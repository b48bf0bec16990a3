#include "gui/pictures.h"

#include <wx/filefn.h>
#include <wx/image.h>

#include "model/config.h"
#include "model/log.h"
#include "model/stringConversion.h"

namespace pictures {

namespace {
std::set<std::string>& Names() {
  static std::set<std::string> names;
  return names;
}
}  // namespace

const std::set<std::string>& Requested() { return Names(); }

wxBitmap Load(const std::string& name, int size) {
  Names().insert(name);
  const wxString path = std2wx(Config::GetImagePath(name));
  wxBitmap bitmap;
  if (wxFileExists(path)) bitmap.LoadFile(path, wxBITMAP_TYPE_PNG);
  if (bitmap.IsOk()) return bitmap;
  TRACE_ERROR("picture %s not loaded", name.c_str());
  wxImage blank(size, size);
  blank.InitAlpha();
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) blank.SetAlpha(x, y, 0);
  return wxBitmap(blank);
}

wxIcon LoadIcon(const std::string& name) {
  Names().insert(name);
  const wxString path = std2wx(Config::GetImagePath(name));
  wxIcon icon;
  if (wxFileExists(path)) icon.LoadFile(path, wxBITMAP_TYPE_ICO);
  if (!icon.IsOk()) TRACE_ERROR("icon %s not loaded", name.c_str());
  return icon;
}

}  // namespace pictures
