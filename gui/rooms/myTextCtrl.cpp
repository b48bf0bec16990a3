#include "gui/rooms/myTextCtrl.h"

#include <wx/utils.h>

#include "gui/rooms/chatRoomPanel.h"
#include "model/config.h"
#include "model/log.h"

namespace {

const long kTypingTimerId = wxNewId();

size_t MaxLength() { return Config::GetInstance()->GetMessageMaxLength(); }

// Keys that add text: they are measured first.
bool AddsText(const wxKeyEvent& event) {
  const int key = event.GetKeyCode();
  if (key == WXK_RETURN || key == WXK_NUMPAD_ENTER) return true;  // with Shift: a line break
  if (key == WXK_CONTROL_V && (event.GetModifiers() & wxMOD_CONTROL)) return true;
  if (event.GetModifiers() & (wxMOD_CONTROL | wxMOD_ALT)) return false;
  const wxChar c = event.GetUnicodeKey();
  return c != WXK_NONE && c >= 32 && c != WXK_DELETE;
}

}  // namespace

wxBEGIN_EVENT_TABLE(MyTextCtrl, wxTextCtrl)
  EVT_CHAR(MyTextCtrl::OnChar)
  EVT_TIMER(kTypingTimerId, MyTextCtrl::OnTimer)
wxEND_EVENT_TABLE()

MyTextCtrl::MyTextCtrl(wxWindow* parent, wxWindowID id, ChatRoomPanel* page)
    : wxTextCtrl(parent, id, wxEmptyString, wxDefaultPosition, wxDefaultSize, wxTE_MULTILINE),
      m_page(page),
      m_timer(this, kTypingTimerId) {
  // The toolkit has no maximum length for a multi-line field: the keys below keep to it.
}

MyTextCtrl::~MyTextCtrl() { m_timer.Stop(); }

void MyTextCtrl::OnChar(wxKeyEvent& event) {
  if (!IsEditable()) {
    event.Skip();
    return;
  }
  const int key = event.GetKeyCode();
  if ((key == WXK_RETURN || key == WXK_NUMPAD_ENTER) && !event.ShiftDown()) {
    Send();
    return;
  }
  if (AddsText(event) && LengthAfterKey() > MaxLength()) {
    wxBell();
    return;
  }
  Typing();
  event.Skip();
}

size_t MyTextCtrl::LengthAfterKey() const {
  long from = 0, to = 0;
  GetSelection(&from, &to);
  return GetValue().length() - size_t(to - from) + 1;
}

void MyTextCtrl::Typing() {
  if (m_timer.IsRunning()) {
    m_typed = true;
    return;
  }
  m_typed = false;
  m_timer.StartOnce(kTypingWindowMs);
  m_page->OnKeyTyped(true);
}

void MyTextCtrl::Send() {
  const wxString text = GetValue();
  if (text.empty()) return;
  if (text.length() > MaxLength()) {
    // A paste took it past the limit: nothing goes, and what would not fit is shown.
    TRACE_INFO("message too long (%lu characters)", static_cast<unsigned long>(text.length()));
    wxBell();
    SetSelection(long(MaxLength()), long(text.length()));
    return;
  }
  m_page->OnKeyTyped(false);
  m_timer.Stop();
  if (m_page->OnSendMessage(text)) Clear();
}

void MyTextCtrl::OnTimer(wxTimerEvent&) {
  if (m_typed) {
    m_typed = false;
    m_timer.StartOnce(kTypingWindowMs);
    return;
  }
  m_page->OnKeyTyped(false);
}
