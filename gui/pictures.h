// Pictures of the data directory's "img/" folder, loaded as the windows need them.
#ifndef PARLAVOX_GUI_PICTURES_H
#define PARLAVOX_GUI_PICTURES_H

#include <wx/bitmap.h>
#include <wx/icon.h>

#include <set>
#include <string>

namespace pictures {

// The PNG picture `name`. A missing or unreadable file gives a blank transparent square of
// `size` pixels (and a trace line), so that a button made from it still works.
wxBitmap Load(const std::string& name, int size = 24);
// The icon file `name` (ICO); an invalid icon when it cannot be read.
wxIcon LoadIcon(const std::string& name);
// Every name asked for so far, found or not.
const std::set<std::string>& Requested();

}  // namespace pictures

#endif
