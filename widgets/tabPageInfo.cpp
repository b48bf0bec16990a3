#include "widgets/tabPageInfo.h"

#include <algorithm>

TabPageInfo::TabPageInfo() : m_position(0, 0), m_size(0, 0) {}

TabPageInfo::TabPageInfo(const wxString& caption, int imageIndex)
    : m_caption(caption), m_position(-1, -1), m_size(-1, -1), m_imageIndex(imageIndex) {}

void TabPageInfo::SetTabAngle(unsigned int angle) { m_tabAngle = std::min(angle, kMaxTabAngle); }
