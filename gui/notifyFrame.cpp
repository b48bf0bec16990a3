#include "gui/notifyFrame.h"

#include "gui/mainFrame.h"

namespace {
NotifyFrame* g_instance = nullptr;
}

void NotifyFrame::CreateInstance(MainFrame* parent) {
  if (!g_instance) g_instance = new NotifyFrame(parent);
}

NotifyFrame* NotifyFrame::GetInstance() { return g_instance; }

NotifyFrame::NotifyFrame(MainFrame* parent)
    : wxFrame(parent, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
              wxFRAME_NO_TASKBAR | wxFRAME_TOOL_WINDOW | wxSTAY_ON_TOP | wxBORDER_SIMPLE) {}

NotifyFrame::~NotifyFrame() {
  if (g_instance == this) g_instance = nullptr;
}

NotifyFrame* NotifyFrame::Add(std::unique_ptr<NotifyItem> item) {
  if (!g_instance) return nullptr;
  if (g_instance->m_items.size() >= kMaxItems) g_instance->m_items.erase(g_instance->m_items.begin());
  g_instance->m_items.push_back(std::move(item));
  return g_instance;
}

NotifyFrame* NotifyFrame::AddNotification(const NotifyAction& action, const wxString& title, const wxString& text,
                                          const wxColour& colour, const wxString& text2, const wxColour& colour2) {
  return Add(std::unique_ptr<NotifyItem>(
      new NotifyItem{action, 1, title, text, wxBitmap(), colour, text2, colour2, STATUS_NONE}));
}

NotifyFrame* NotifyFrame::AddNotification(const NotifyAction& action, const wxString& title, const wxString& text,
                                          const wxBitmap& bitmap, const wxString& text2) {
  return Add(std::unique_ptr<NotifyItem>(
      new NotifyItem{action, 2, title, text, bitmap, wxColour(), text2, wxColour(), STATUS_NONE}));
}

NotifyFrame* NotifyFrame::AddNotification(const NotifyAction& action, const wxString& title, const wxString& text,
                                          const wxBitmap& bitmap, t_status status) {
  return Add(std::unique_ptr<NotifyItem>(
      new NotifyItem{action, 3, title, text, bitmap, wxColour(), wxString(), wxColour(), status}));
}

void NotifyFrame::Popup() {}
