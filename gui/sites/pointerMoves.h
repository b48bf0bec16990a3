// Tells a callback of every move of the pointer over any of the program's windows, of its coming
// onto one, leaving one, and of a turn of the wheel there, while switched on. The sites panel
// switches it on while one of its tips shows: the pointer leaving a site's name for its tip, or
// going away, passes over windows other than the names and avatars it watches, and leaves them;
// those moves must still hide the tip, without a timer asking where the pointer is all along.
#ifndef PARLAVOX_GUI_SITES_POINTERMOVES_H
#define PARLAVOX_GUI_SITES_POINTERMOVES_H

#include <wx/eventfilter.h>

#include <functional>

class PointerMoves : public wxEventFilter {
 public:
  explicit PointerMoves(std::function<void()> moved);
  ~PointerMoves() override;
  PointerMoves(const PointerMoves&) = delete;
  PointerMoves& operator=(const PointerMoves&) = delete;

  // Switched off, it is none of the program's event filters: the other events cost nothing.
  void Watch(bool on);
  bool IsWatching() const { return m_watching; }

  int FilterEvent(wxEvent& event) override;

 private:
  std::function<void()> m_moved;
  bool m_watching = false;
};

#endif
