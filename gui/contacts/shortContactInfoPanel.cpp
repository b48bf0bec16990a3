#include "gui/contacts/shortContactInfoPanel.h"

#include <wx/button.h>
#include <wx/datetime.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/weakref.h>

#include <algorithm>

#include "core/application.h"
#include "gui/contacts/lateDestruction.h"
#include "gui/messageYesNoCancelFrame.h"
#include "model/log.h"
#include "model/stringConversion.h"
#include "widgets/shownText.h"

const wxWindowID ShortContactInfoPanel::ID_ANSWER = wxNewId();

wxBEGIN_EVENT_TABLE(ShortContactInfoPanel, wxPanel)
  EVT_LEFT_UP(ShortContactInfoPanel::OnLeftUp)
  EVT_BUTTON(ShortContactInfoPanel::ID_ANSWER, ShortContactInfoPanel::OnAnswer)
wxEND_EVENT_TABLE()

namespace {

const wxColour kLightBlue(178, 198, 255);
const wxColour kLightGreen(144, 255, 128);
const wxColour kLightRed(255, 128, 128);
// Characters the message typed with an answer may hold.
const int kAnswerLength = 30;
// Widest the name and the message ask for (pixels): longer ones end in an ellipsis, and the whole
// text is in the tool tip, so that no name or message widens the window.
const int kNameWidth = 170;
const int kMessageWidth = 200;

struct Kind {
  const char* status;
  const wxColour* background;
};

// Per kind of event, in the order of t_contact_event_type.
const Kind kKinds[] = {
    {wxTRANSLATE("has been contacted"), &kLightBlue},      {wxTRANSLATE("has been invited"), &kLightGreen},
    {wxTRANSLATE("has not been invited"), &kLightRed},     {wxTRANSLATE("wants to add you"), &kLightBlue},
    {wxTRANSLATE("accepts your invitation"), &kLightGreen}, {wxTRANSLATE("refuses your invitation"), &kLightRed},
    {wxTRANSLATE("has been removed"), &kLightRed},         {wxTRANSLATE("has removed you"), &kLightRed},
    {wxTRANSLATE("invites you"), &kLightBlue},             {wxTRANSLATE("Checking..."), wxCYAN},
    {wxTRANSLATE("is registered"), &kLightBlue},           {wxTRANSLATE("is not registered"), &kLightRed},
    {wxTRANSLATE("has been blocked"), &kLightRed},         {wxTRANSLATE("has been unblocked"), &kLightGreen},
};

const Kind* KindOf(int type) {
  return type >= 0 && type < int(WXSIZEOF(kKinds)) ? &kKinds[type] : nullptr;
}

bool WaitsForAnswer(int type) { return type == CE_ADD_RECEIVED || type == CE_INVITED; }

// A long text asks for at most `width` pixels; the rest is cut with an ellipsis.
void Narrow(wxStaticText* text, int width) {
  const wxSize best = text->GetBestSize();
  if (best.x > width) text->SetMinSize(wxSize(width, best.y));
}

}  // namespace

wxString ShortContactInfoPanel::StatusText(int type) {
  const Kind* kind = KindOf(type);
  return kind ? wxGetTranslation(kind->status) : wxString();
}

wxColour ShortContactInfoPanel::Background(int type) {
  const Kind* kind = KindOf(type);
  return kind ? *kind->background : *wxCYAN;
}

ShortContactInfoPanel::ShortContactInfoPanel(wxWindow* parent, wxWindow* frame, Manager* manager,
                                             const ContactEvent& event)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL | wxNO_BORDER),
      m_event(event),
      m_manager(manager),
      m_frame(frame) {
  TRACE_START_ARGS("%ld, %d", event.GetId(), event.GetType());
  m_sizer = new wxBoxSizer(wxHORIZONTAL);
  SetSizer(m_sizer);
  SetBackgroundColour(*wxCYAN);
  BuildTexts();
  m_statusText->SetLabelText(StatusText(m_event.GetType()));
  SetBackgroundColour(Background(m_event.GetType()));
  if (WaitsForAnswer(m_event.GetType())) {
    m_answerButton = new wxButton(this, ID_ANSWER, _("Answer"), wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT);
    m_sizer->Add(m_answerButton, 0, wxALIGN_CENTER_VERTICAL | wxLEFT | wxRIGHT, 6);
  }
  m_sizer->Layout();
  Layout();
  Refresh();
  TRACE_END();
}

ShortContactInfoPanel::~ShortContactInfoPanel() { TRACE_STARTEND(); }

wxStaticText* ShortContactInfoPanel::AddText(wxSizer* sizer, const wxString& text, int proportion, int flags,
                                             int border, long style) {
  auto* label = new wxStaticText(this, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize, style);
  // Names and messages come from other users: no mnemonic, no markup.
  label->SetLabelText(text);
  label->Bind(wxEVT_LEFT_UP, &ShortContactInfoPanel::OnLeftUp, this);
  sizer->Add(label, proportion, flags, border);
  return label;
}

void ShortContactInfoPanel::BuildTexts() {
  // When the row was made: the event carries no time of its own.
  const wxDateTime now = wxDateTime::Now();
  auto* dates = new wxBoxSizer(wxVERTICAL);
  wxStaticText* date = AddText(dates, now.Format("%d/%m"), 1, wxEXPAND, 0);
  wxStaticText* time = AddText(dates, now.Format("%H:%M"), 1, wxEXPAND | wxLEFT, 8, wxALIGN_RIGHT);
  m_sizer->Add(dates, 0, wxEXPAND, 0);
  m_sizer->Add(8, 8);

  auto* texts = new wxBoxSizer(wxVERTICAL);
  auto* firstLine = new wxBoxSizer(wxHORIZONTAL);
  m_nameText = AddText(firstLine, Who(), 0, wxEXPAND | wxRIGHT, 4, wxST_ELLIPSIZE_END);
  m_statusText = AddText(firstLine, wxEmptyString, 1, wxEXPAND, 0);
  texts->Add(firstLine, 1, wxEXPAND, 0);
  const wxString message = shown::OneLine(m_event.GetMessage(), kShownMessage);
  m_messageText = AddText(texts, message, 1, wxEXPAND, 0, wxST_ELLIPSIZE_END);
  m_sizer->Add(texts, 1, wxEXPAND, 0);
  SetFonts(date, time);
  Narrow(m_nameText, kNameWidth);
  Narrow(m_messageText, kMessageWidth);
  m_nameText->SetToolTip(Who());
  if (!message.empty()) m_messageText->SetToolTip(message);
}

void ShortContactInfoPanel::SetFonts(wxStaticText* date, wxStaticText* time) {
  const wxFont normal(wxFontInfo(10).Family(wxFONTFAMILY_MODERN));
  date->SetFont(normal);
  time->SetFont(normal);
  m_statusText->SetFont(normal);
  m_nameText->SetFont(wxFontInfo(10).Family(wxFONTFAMILY_MODERN).Bold());
  m_messageText->SetFont(wxFontInfo(10).Family(wxFONTFAMILY_MODERN).Light());
}

wxString ShortContactInfoPanel::Who() const {
  return shown::OneLine(m_event.GetNickname(), kShownName) + " (" + shown::OneLine(m_event.GetLogin(), kShownName) +
         ")";
}

ContactEvent ShortContactInfoPanel::GetContactEvent() const { return m_event; }

void ShortContactInfoPanel::AskLater() { CallAfter(&ShortContactInfoPanel::OnLeftUp2); }

void ShortContactInfoPanel::Discard() {
  TRACE_START_ARGS("%ld", m_event.GetId());
  m_discarded = true;
  lateDestruction::Discard(this);
  TRACE_END();
}

void ShortContactInfoPanel::OnLeftUp(wxMouseEvent&) { OnLeftUp2(); }

void ShortContactInfoPanel::OnAnswer(wxCommandEvent&) { OnLeftUp2(); }

void ShortContactInfoPanel::OnLeftUp2() {
  TRACE_START_ARGS("%ld, %d", m_event.GetId(), m_event.GetType());
  if (m_asking || m_discarded || !m_manager->IsConnected() || m_event.IsAnswered()) {
    TRACE_END_RESULT("nothing to answer now");
    return;
  }
  const int type = m_event.GetType();
  if (WaitsForAnswer(type)) AnswerRequest();
  else if (type == CE_REGISTERED) Invite();
  TRACE_END();
}

int ShortContactInfoPanel::Ask(wxWindow* near, const wxString& title, const wxString& message,
                               const wxString& prompt, const wxString& yes, const wxString& no,
                               const wxString& cancel, std::string* text) {
  wxWeakRef<ShortContactInfoPanel> self(this);
  // Rows taken off the list meanwhile wait for the question to end before they are destroyed.
  lateDestruction::Hold hold;
  m_asking = true;
  // The question is no child of the row: if the whole list goes while it is open (the program
  // ending), the dialog on this stack is not destroyed under its own loop. It is placed over the
  // window of the row all the same.
  MessageYesNoCancelFrame dialog(nullptr, message, prompt, title, yes, no, cancel, wxEmptyString, kAnswerLength);
  if (wxWindow* top = wxGetTopLevelParent(near)) {
    const wxRect over = top->GetScreenRect();
    const wxSize size = dialog.GetSize();
    dialog.Move(std::max(0, over.x + (over.width - size.x) / 2), std::max(0, over.y + (over.height - size.y) / 2));
  }
  const int answer = dialog.ShowModal();
  if (!self) return wxID_NONE;
  m_asking = false;
  *text = wx2std(dialog.GetValue());
  if (m_discarded) {
    TRACE_INFO("the row left the list while its question was open: answer dropped");
    return wxID_NONE;
  }
  return answer;
}

void ShortContactInfoPanel::AnswerRequest() {
  const bool room = m_event.GetURL() != "none";
  const wxString nickname = shown::OneLine(m_event.GetNickname(), kShownName);
  const wxString login = shown::OneLine(m_event.GetLogin(), kShownName);
  const wxString message =
      room ? _("Do you accept to join ") + nickname + " (" + login + ") " +
                 _("in a private chatroom with other Parlavoxers ?")
           : nickname + " (" + login + ") " + _(" wants to add you to his/her private contacts. Do you accept?");
  std::string text;
  const int answer = Ask(room ? GetParent() : this, _("Accept/Refuse invitation"), message,
                         _("You can write a short message with your answer:"), room ? _("&Yes") : _("&Accept"),
                         room ? _("&No") : _("&Refuse"), room ? _("&Cancel") : wxString(), &text);
  if (answer == wxID_YES) OnAcceptAdd(text);
  else if (answer == wxID_NO) OnRefuseAdd(text);
}

void ShortContactInfoPanel::Invite() {
  const wxString nickname = shown::OneLine(m_event.GetNickname(), kShownName);
  const wxString message = _("Do you want to invite ") + nickname + " (" +
                           shown::OneLine(m_event.GetLogin(), kShownName) + ") " + _("in your private contacts?");
  std::string text;
  const int answer = Ask(this, _("Invite ") + nickname, message, _("You can write a short message with your invitation:"),
                         _("&Invite"), _("&Cancel"), wxString(), &text);
  if (answer == wxID_YES) {
    ContactEvent* request = m_manager->SendAddContact(m_event.GetLogin(), text);
    if (!request) {
      TRACE_INFO("the invitation could not be sent: the row stays as it was");
      return;
    }
    // The row now stands for the user's request, and the other user's answer replaces it.
    m_event = *request;
    m_event.SetAnswered(true);
    ShowAnswer(_("has been invited"), kLightBlue);
  } else if (answer == wxID_NO) {
    m_event.SetAnswered(true);
    ShowAnswer(_("has not been invited"), kLightRed);
  }
}

bool ShortContactInfoPanel::SendAnswer(bool accept, const std::string& message) {
  if (m_event.GetURL() == "none") return m_manager->SendAddContactAnswer(m_event.GetId(), accept, message) != nullptr;
  return m_manager->InviteContactInChatRoomAck(m_event.GetId(), accept, message);
}

void ShortContactInfoPanel::OnAcceptAdd(const std::string& message) {
  TRACE_START_ARGS("%ld", m_event.GetId());
  if (!SendAnswer(true, message)) {
    TRACE_END_RESULT("not sent: the request stays unanswered");
    return;
  }
  m_event.SetAnswered(true);
  ShowAnswer(m_event.GetURL() == "none" ? _("has been added") : _("joins you"), kLightGreen);
  TRACE_END();
}

void ShortContactInfoPanel::OnRefuseAdd(const std::string& message) {
  TRACE_START_ARGS("%ld", m_event.GetId());
  if (!SendAnswer(false, message)) {
    TRACE_END_RESULT("not sent: the request stays unanswered");
    return;
  }
  m_event.SetAnswered(true);
  ShowAnswer(_("has not been added"), kLightRed);
  TRACE_END();
}

void ShortContactInfoPanel::ShowAnswer(const wxString& status, const wxColour& background) {
  m_statusText->SetLabelText(status);
  SetBackgroundColour(background);
  if (m_answerButton) {
    m_answerButton->Disable();
    m_answerButton->Hide();
  }
  Layout();
  Refresh();
}
