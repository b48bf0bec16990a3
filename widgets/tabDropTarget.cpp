#include "widgets/tabDropTarget.h"

#include <unistd.h>

#include <cstring>

TabDragInfo::TabDragInfo(TabStrip* strip, int page)
    : pid(static_cast<int32_t>(getpid())), container(strip), pageIndex(page) {}

bool TabDragInfo::IsOwn() const {
  return magic == kMagic && pid == static_cast<int32_t>(getpid()) && container && pageIndex >= 0;
}

wxDataFormat TabDragFormat() { return wxDataFormat(wxT("TNB")); }

TabDragInfoDataObject::TabDragInfoDataObject(const wxDataFormat& format)
    : wxDataObjectSimple(format) {}

bool TabDragInfoDataObject::GetDataHere(void* buffer) const {
  std::memcpy(buffer, &m_info, sizeof m_info);
  return true;
}

bool TabDragInfoDataObject::SetData(size_t length, const void* buffer) {
  if (length != sizeof m_info || !buffer) return false;
  std::memcpy(&m_info, buffer, sizeof m_info);
  return true;
}
