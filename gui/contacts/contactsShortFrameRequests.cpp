// The contacts manager's requests list: one row per request, answer, check, block or invitation,
// newest at the top, in a scrolling area of a fixed height.
#include <wx/button.h>
#include <wx/intl.h>
#include <wx/scrolwin.h>
#include <wx/settings.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/wupdlock.h>

#include <algorithm>

#include "gui/contacts/contactsShortFrame.h"
#include "gui/contacts/shortContactInfoPanel.h"
#include "model/contactEvent.h"
#include "model/log.h"

namespace {

// The list shows at least this height and asks for no more whatever it holds, so that the
// window does not grow with the rows: they scroll instead.
const int kListHeight = 200;
const int kListMinHeight = 96;

class RequestsList : public wxScrolledWindow {
 public:
  explicit RequestsList(wxWindow* parent)
      : wxScrolledWindow(parent, wxID_ANY, wxDefaultPosition, wxSize(-1, kListHeight), wxVSCROLL | wxALWAYS_SHOW_SB) {}

 protected:
  // As wide as the widest row and a scroll bar, whether the bar is shown now or not.
  wxSize DoGetBestSize() const override {
    wxSize best = GetSizer() ? GetSizer()->GetMinSize() : wxSize();
    best.x += wxSystemSettings::GetMetric(wxSYS_VSCROLL_X, this);
    best.y = kListMinHeight;
    return best;
  }
};

}  // namespace

void ContactsShortFrame::BuildRequestsBox(wxSizer* frameSizer) {
  auto* box = new wxStaticBoxSizer(wxVERTICAL, this, _("Requests sent to/by other Parlavoxers"));
  m_requestsList = new RequestsList(this);
  m_requestsList->SetBackgroundColour(*wxWHITE);
  m_requestsSizer = new wxBoxSizer(wxVERTICAL);
  m_requestsList->SetSizer(m_requestsSizer);
  m_requestsList->SetScrollRate(0, 32);
  m_requestsList->SetMinSize(wxSize(-1, kListMinHeight));
  m_requestsList->SetVirtualSize(m_requestsList->GetBestVirtualSize());
  box->Add(m_requestsList, 1, wxEXPAND | wxALL, 4);

  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  m_clearButton = new wxButton(this, wxID_ANY, _("Clear all"), wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT);
  m_clearButton->Disable();
  m_clearButton->Bind(wxEVT_BUTTON, &ContactsShortFrame::OnRemoveContactEvents, this);
  buttons->Add(m_clearButton, 0, 0, 0);
  box->Add(buttons, 0, wxALIGN_RIGHT | wxALL, 4);
  frameSizer->Add(box, 1, wxEXPAND | wxALL, 8);
}

void ContactsShortFrame::UpdateContactEvent(const ContactEvent& event) {
  TRACE_START_ARGS("%ld, %d, %s", event.GetId(), event.GetType(), event.GetLogin().c_str());
  const ShortContactInfoPanel* previous = FindRequestRow(event.GetId());
  // A check's answer opens the invitation by itself, but only in place of the check the user
  // made from here: a server cannot raise the question unasked.
  const bool ask = event.GetType() == CE_REGISTERED && previous && previous->GetEventType() == CE_CHECKING;
  DropRequestRow(event.GetId());
  auto* row = new ShortContactInfoPanel(m_requestsList, this, m_manager, event);
  m_requestRows.push_back(row);
  m_requestsSizer->Insert(0, row, 0, wxEXPAND, 0);
  m_clearButton->Enable();
  LayOutRequestsSoon();
  if (ask) row->AskLater();
  TRACE_END();
}

void ContactsShortFrame::LayOutRequestsSoon() {
  // Events come in bursts (a server may send hundreds at once): the list and the window are laid
  // out once for all the rows of a burst, when the event loop turns.
  if (m_requestsLayoutDue) return;
  m_requestsLayoutDue = true;
  // New rows are not drawn where they were made meanwhile.
  m_requestsList->Freeze();
  CallAfter([this] {
    m_requestsLayoutDue = false;
    ShowFromTop();
    m_requestsList->Thaw();
    Fit();
    Layout();
  });
}

ShortContactInfoPanel* ContactsShortFrame::FindRequestRow(long id) const {
  // An event that expects no answer has no id of its own (-1): each one keeps its row.
  if (id == -1) return nullptr;
  for (ShortContactInfoPanel* row : m_requestRows)
    if (row->GetEventId() == id) return row;
  return nullptr;
}

void ContactsShortFrame::DropRequestRow(long id) {
  if (ShortContactInfoPanel* row = FindRequestRow(id)) {
    m_requestRows.erase(std::find(m_requestRows.begin(), m_requestRows.end(), row));
    row->Discard();
  }
}

void ContactsShortFrame::RemoveContactEvent(long id) {
  DropRequestRow(id);
  ShowFromTop();
}

void ContactsShortFrame::RemoveContactEvents() {
  TRACE_START_ARGS("%zu", m_requestRows.size());
  {
    wxWindowUpdateLocker frozen(m_requestsList);
    std::vector<ShortContactInfoPanel*> rows;
    rows.swap(m_requestRows);
    for (ShortContactInfoPanel* row : rows) row->Discard();
    ShowFromTop();
  }
  m_clearButton->Disable();
  TRACE_END();
}

void ContactsShortFrame::OnRemoveContactEvents(wxCommandEvent&) { RemoveContactEvents(); }

void ContactsShortFrame::ShowFromTop() {
  m_requestsList->FitInside();
  m_requestsList->Layout();
  m_requestsList->Scroll(wxDefaultCoord, 0);
}
