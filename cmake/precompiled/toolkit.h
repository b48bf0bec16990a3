// Headers that nearly every window and test of the project includes, compiled once per tree and
// taken in first by each file of the targets that use them (cmake/Precompiled.cmake).
#include <algorithm>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <wx/wx.h>
