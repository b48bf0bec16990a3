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
