// A function of the tool kit, found in the libraries the program already runs with (the build has
// no headers of the tool kit).
#ifndef PARLAVOX_WIDGETS_TOOLKITFUNCTION_H
#define PARLAVOX_WIDGETS_TOOLKITFUNCTION_H

#include <dlfcn.h>

namespace toolkit {

// The function of that name, or null where the tool kit has none.
template <class F>
F Find(const char* symbol) {
  return reinterpret_cast<F>(dlsym(RTLD_DEFAULT, symbol));
}

}  // namespace toolkit

#endif
