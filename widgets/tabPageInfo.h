// What the tab strip knows about one page: caption, image, where its tab was last drawn.
#ifndef PARLAVOX_WIDGETS_TABPAGEINFO_H
#define PARLAVOX_WIDGETS_TABPAGEINFO_H

#include <wx/colour.h>
#include <wx/gdicmn.h>
#include <wx/region.h>
#include <wx/string.h>

class TabPageInfo {
 public:
  // The largest slant of a tab's sides, in degrees.
  static constexpr unsigned int kMaxTabAngle = 45;

  TabPageInfo();
  // A tab not drawn yet: position and size (-1, -1).
  TabPageInfo(const wxString& caption, int imageIndex);
  TabPageInfo(const TabPageInfo& other) = default;
  TabPageInfo& operator=(const TabPageInfo& other) = default;

  const wxString& GetCaption() const { return m_caption; }
  void SetCaption(const wxString& caption) { m_caption = caption; }

  const wxPoint& GetPosition() const { return m_position; }
  void SetPosition(const wxPoint& position) { m_position = position; }

  const wxSize& GetSize() const { return m_size; }
  void SetSize(const wxSize& size) { m_size = size; }

  const wxRegion& GetRegion() const { return m_region; }
  void SetRegion(const wxRegion& region) { m_region = region; }
  void ClearRegion() { m_region.Clear(); }

  unsigned int GetTabAngle() const { return m_tabAngle; }
  // Stores at most kMaxTabAngle.
  void SetTabAngle(unsigned int angle);

  int GetImageIndex() const { return m_imageIndex; }
  void SetImageIndex(int index) { m_imageIndex = index; }

  bool GetEnabled() const { return m_enabled; }
  void SetEnabled(bool enabled) { m_enabled = enabled; }

  // The clickable X drawn on the tab (selected tab only).
  const wxRect& GetXRect() const { return m_xRect; }
  void SetXRect(const wxRect& rect) { m_xRect = rect; }

  const wxColour& GetColour() const { return m_colour; }
  void SetColour(const wxColour& colour) { m_colour = colour; }

  // True when the last paint did not draw this tab.
  bool IsHidden() const { return m_position == wxPoint(-1, -1); }

 private:
  wxString m_caption;
  wxPoint m_position;
  wxSize m_size;
  wxRegion m_region;
  unsigned int m_tabAngle = 0;
  int m_imageIndex = -1;
  bool m_enabled = true;
  wxRect m_xRect;
  wxColour m_colour;
};

#endif
