#include "widgets/tabDropTarget.h"

#include <unistd.h>

#include <cstring>
#include <map>

#include "widgets/tabStrip.h"

static_assert(sizeof(TabDragInfo) == 24, "the tab drag payload has no padding");

namespace {

// Live strips by token, and the token of each strip. GUI thread only.
struct StripRegistry {
  std::map<uint64_t, TabStrip*> byToken;
  std::map<const TabStrip*, uint64_t> byStrip;
  uint64_t lastToken = 0;
};

StripRegistry& Registry() {
  static StripRegistry registry;
  return registry;
}

TabDragLoop& DragLoop() {
  static TabDragLoop loop;
  return loop;
}

}  // namespace

uint64_t RegisterTabStrip(TabStrip* strip) {
  StripRegistry& r = Registry();
  auto found = r.byStrip.find(strip);
  if (found != r.byStrip.end()) return found->second;
  const uint64_t token = ++r.lastToken;
  r.byToken[token] = strip;
  r.byStrip[strip] = token;
  return token;
}

void UnregisterTabStrip(TabStrip* strip) {
  StripRegistry& r = Registry();
  auto found = r.byStrip.find(strip);
  if (found == r.byStrip.end()) return;
  r.byToken.erase(found->second);
  r.byStrip.erase(found);
}

uint64_t TabStripToken(const TabStrip* strip) {
  const StripRegistry& r = Registry();
  auto found = r.byStrip.find(strip);
  return found == r.byStrip.end() ? 0 : found->second;
}

TabStrip* FindTabStrip(uint64_t token) {
  const StripRegistry& r = Registry();
  auto found = r.byToken.find(token);
  return found == r.byToken.end() ? nullptr : found->second;
}

TabDragInfo::TabDragInfo(TabStrip* strip, int page)
    : magic(kMagic),
      pid(static_cast<int32_t>(getpid())),
      token(TabStripToken(strip)),
      pageIndex(page) {}

wxWindow* TabDragInfo::FindSource() const {
  if (magic != kMagic || pid != static_cast<int32_t>(getpid()) || pageIndex < 0) return nullptr;
  TabStrip* strip = FindTabStrip(token);
  if (!strip || pageIndex >= static_cast<int>(strip->GetPageCount())) return nullptr;
  return strip;
}

wxDataFormat TabDragFormat() { return wxDataFormat(wxT("TNB")); }

TabDragInfoDataObject::TabDragInfoDataObject(const wxDataFormat& format)
    : wxDataObjectSimple(format), m_hasInfo(false) {}

bool TabDragInfoDataObject::GetDataHere(void* buffer) const {
  if (!buffer) return false;
  std::memcpy(buffer, &m_info, sizeof m_info);
  return true;
}

bool TabDragInfoDataObject::SetData(size_t length, const void* buffer) {
  Reset();
  if (length != sizeof m_info || !buffer) return false;
  std::memcpy(&m_info, buffer, sizeof m_info);
  m_hasInfo = true;
  return true;
}

void TabDragInfoDataObject::Reset() {
  m_info = TabDragInfo();
  m_hasInfo = false;
}

TabDropSource::TabDropSource(TabStrip* strip)
    : wxDropSource(strip, wxNullIcon, wxNullIcon, wxNullIcon), m_strip(strip) {}

bool TabDropSource::GiveFeedback(wxDragResult) {
  m_strip->ShowDropHint();
  return false;
}

void SetTabDragLoop(const TabDragLoop& loop) { DragLoop() = loop; }

void StartTabDrag(TabStrip* strip, int page) {
  TabDragInfo info(strip, page);
  TabDragInfoDataObject data(TabDragFormat());
  data.SetData(sizeof info, &info);
  TabDropSource source(strip);
  source.SetData(data);
  // The dropping side has moved the page by the time the loop returns.
  if (DragLoop())
    DragLoop()(source, wxDrag_DefaultMove);
  else
    source.DoDragDrop(wxDrag_DefaultMove);
}
