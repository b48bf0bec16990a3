#include "gui/nicknamePanel.h"

#include <wx/bmpbuttn.h>
#include <wx/image.h>
#include <wx/intl.h>
#include <wx/menu.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include <algorithm>

#include "core/application.h"
#include "gui/messageYesNoCancelFrame.h"
#include "gui/nicknameHost.h"
#include "gui/profiles/contactInfoFrame.h"
#include "gui/statusLook.h"
#include "model/config.h"
#include "model/log.h"
#include "model/stringConversion.h"
#include "widgets/fittedButton.h"
#include "widgets/myStaticText.h"
#include "widgets/shownText.h"

namespace {

enum {
  ID_STATUS = wxID_HIGHEST + 401,
  ID_MENU_OFFLINE,
  ID_MENU_ONLINE,
  ID_MENU_AWAY,
  ID_MENU_NOACTIVITY,
  ID_MENU_BUSY,
  ID_AVATAR,
  ID_MOOD,
};

constexpr int kAvatarSide = 74;

}  // namespace

// ---- The nickname.

NicknameText::NicknameText(Manager* manager, wxWindow* parent)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL | wxNO_BORDER), m_manager(manager) {
  TRACE_START();
  SetBackgroundColour(*wxWHITE);
  // A name chosen by a user: "&" is shown, never taken for a mnemonic.
  m_button = new FittedButton(this, wxID_ANY, std2wx(Config::GetInstance()->GetNickname()), wxNO_BORDER | wxBU_LEFT,
                              wxFont(wxFontInfo(12).Family(wxFONTFAMILY_SWISS).Bold()));
  auto* sizer = new wxBoxSizer(wxHORIZONTAL);
  sizer->Add(m_button, 1, wxEXPAND | wxALL, 0);
  SetSizer(sizer);
  m_button->Bind(wxEVT_BUTTON, &NicknameText::Edit, this);
  m_button->Bind(wxEVT_ENTER_WINDOW, &NicknameText::OnMouseEnter, this);
  m_button->Bind(wxEVT_LEAVE_WINDOW, &NicknameText::OnMouseLeave, this);
  TRACE_END();
}

void NicknameText::SetNickname(const wxString& nickname) {
  Freeze();
  m_button->SetText(nickname);
  Layout();
  Thaw();
}

void NicknameText::SetStatus(t_status status) { m_button->SetForegroundColour(statusLook::Colour(status)); }

void NicknameText::Edit(wxCommandEvent&) {
  TRACE_START();
  const std::string login = m_manager->GetLogin();
  if (!login.empty()) ContactInfoFrame::OpenContactInfoFor(login);
  TRACE_END();
}

void NicknameText::Underline(bool on) {
  wxFont font = m_button->GetFont();
  font.SetUnderlined(on);
  m_button->SetFont(font);
}

void NicknameText::OnMouseEnter(wxMouseEvent& event) {
  Underline(true);
  event.Skip();
}

void NicknameText::OnMouseLeave(wxMouseEvent& event) {
  Underline(false);
  event.Skip();
}

// ---- The panel.

NicknamePanel::NicknamePanel(Manager* manager, wxWindow* parent, NicknameHost* host)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL | wxNO_BORDER),
      m_manager(manager),
      m_host(host) {
  TRACE_START();
  SetBackgroundColour(*wxWHITE);
  m_mainSizer = new wxBoxSizer(wxHORIZONTAL);

  m_avatarButton = new wxBitmapButton(this, ID_AVATAR, OwnAvatar(), wxDefaultPosition,
                                      wxSize(kAvatarSide, kAvatarSide), wxBU_AUTODRAW);
  m_avatarButton->Disable();
  m_avatarButton->SetToolTip(_("Click to change your avatar"));
  m_nickname = new NicknameText(manager, this);
  m_statusButton = new FittedButton(this, ID_STATUS, _("(disconnected)"), wxNO_BORDER | wxBU_EXACTFIT,
                                    wxFont(wxFontInfo(12).Family(wxFONTFAMILY_SWISS)));
  m_statusButton->Disable();

  // A mood longer than the panel is wide ends in an ellipsis; the column takes the panel's width
  // whatever the mood, and the mood's line is as high as its font.
  m_mood = new MyStaticText(this, ID_MOOD, wxEmptyString, true, wxST_ELLIPSIZE_END);
  m_mood->Connect(wxEVT_LEFT_UP, wxMouseEventHandler(NicknamePanel::OnChangeMood), nullptr, this);
  m_mood->SetToolTip(_("Click to change your mood"));
  m_mood->SetFont(wxFont(wxFontInfo(8).Family(wxFONTFAMILY_SWISS).Italic()));
  m_mood->GetInnerText()->SetMinSize(wxSize(0, m_mood->GetInnerText()->GetTextExtent("Ag").y));

  m_textSizer = new wxBoxSizer(wxVERTICAL);
  m_nameRow = new wxBoxSizer(wxHORIZONTAL);
  m_mainSizer->Add(m_avatarButton, 0, wxEXPAND | wxALL, 10);
  m_mainSizer->Add(m_textSizer, 1, wxALIGN_CENTER_VERTICAL, 0);
  m_textSizer->Add(m_nameRow, 0, wxEXPAND, 0);
  m_nameRow->Add(m_nickname, 1, wxALIGN_CENTER_VERTICAL, 10);
  m_nameRow->Add(m_statusButton, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 8);
  m_textSizer->Add(m_mood, 0, wxEXPAND | wxLEFT | wxRIGHT, 1);
  SetMood(std2wx(Config::GetInstance()->GetMood()));
  SetSizer(m_mainSizer);
  Bind(wxEVT_SIZE, &NicknamePanel::OnSize, this);

  Bind(wxEVT_BUTTON, &NicknamePanel::OnChangeStatus, this, ID_STATUS);
  Bind(wxEVT_BUTTON, &NicknamePanel::OnUpdateAvatar, this, ID_AVATAR);
  Bind(wxEVT_MENU, &NicknamePanel::OnStatusOffline, this, ID_MENU_OFFLINE);
  Bind(wxEVT_MENU, &NicknamePanel::OnStatusOnline, this, ID_MENU_ONLINE);
  Bind(wxEVT_MENU, &NicknamePanel::OnStatusNoActivity, this, ID_MENU_NOACTIVITY);
  Bind(wxEVT_MENU, &NicknamePanel::OnStatusAway, this, ID_MENU_AWAY);
  Bind(wxEVT_MENU, &NicknamePanel::OnStatusBusy, this, ID_MENU_BUSY);
  TRACE_END();
}

wxBitmap NicknamePanel::OwnAvatar() const {
  wxBitmap avatar = m_manager->GetAvatar(m_manager->GetLogin(), false, false, BORDER_NONE, false);
  if (avatar.IsOk()) return avatar;
  // No picture yet: an empty white square keeps the panel's shape.
  wxImage blank(kAvatarSide - 10, kAvatarSide - 10);
  blank.SetRGB(wxRect(0, 0, blank.GetWidth(), blank.GetHeight()), 255, 255, 255);
  return wxBitmap(blank);
}

void NicknamePanel::SetNickname(const wxString& nickname) {
  m_nickname->SetNickname(nickname);
  FitNameRow();
  Layout();
}

void NicknamePanel::OnSize(wxSizeEvent& event) {
  FitNameRow();
  event.Skip();
}

// Both whole when they fit; else the nickname is cut first, and the presence too in a narrow panel
// (see shown::Share).
void NicknamePanel::FitNameRow() {
  FittedButton* name = m_nickname->GetButton();
  // The panel's width less what stands beside the two buttons: the avatar and the borders.
  const int beside =
      m_mainSizer->CalcMin().x - m_nameRow->CalcMin().x + m_nameRow->GetItem(m_statusButton)->GetBorder();
  const int room = GetClientSize().x - beside;
  const int nameWhole = name->GetWholeSize().x, statusWhole = m_statusButton->GetWholeSize().x;
  if (nameWhole + statusWhole <= room) {
    name->FitTo(-1);
    m_statusButton->FitTo(-1);
  } else {
    // The nickname keeps at least its ellipsis.
    const int nameWidth = std::max(shown::Share(room, nameWhole, statusWhole).first, name->GetLeastWidth());
    name->FitTo(nameWidth);
    m_statusButton->FitTo(std::min(statusWhole, room - nameWidth));
  }
  m_nickname->InvalidateBestSize();
}

void NicknamePanel::SetMood(const wxString& mood) {
  Freeze();
  m_mood->SetLabel(mood.empty() ? _("<click here to share your mood>") : mood);
  Layout();
  Thaw();
}

void NicknamePanel::SetStatus(t_status status) {
  TRACE_START_ARGS("%d", int(status));
  m_status = status;
  m_nickname->SetStatus(status);
  m_statusButton->Enable(status != STATUS_NONE);
  m_avatarButton->Enable(status != STATUS_NONE);
  m_statusButton->SetForegroundColour(statusLook::Colour(status));
  static const char* const labels[] = {"(disconnected)", "(Offline)", "(Online)", "(No activity)", "(Away)", "(Busy)"};
  const int index = int(status) + 1;
  if (index >= 0 && index < int(sizeof labels / sizeof labels[0])) m_statusButton->SetText(wxGetTranslation(labels[index]));
  UpdateAvatar();
  FitNameRow();
  m_mainSizer->Layout();
  TRACE_END();
}

void NicknamePanel::UpdateAvatar() {
  TRACE_START();
  const wxBitmap avatar = OwnAvatar();
  if (m_status == STATUS_NONE) m_avatarButton->SetBitmapLabel(wxBitmap(avatar.ConvertToImage().ConvertToGreyscale()));
  else m_avatarButton->SetBitmapLabel(avatar);
  Layout();
  if (GetParent()) GetParent()->Layout();
  TRACE_END();
}

void NicknamePanel::OnChangeStatus(wxCommandEvent&) {
  TRACE_START();
  wxMenu menu;
  menu.Append(ID_MENU_OFFLINE, _("Offline"));
  menu.Append(ID_MENU_ONLINE, _("Online"));
  menu.Append(ID_MENU_NOACTIVITY, _("No activity"));
  menu.Append(ID_MENU_AWAY, _("Away"));
  menu.Append(ID_MENU_BUSY, _("Busy"));
  PopupMenu(&menu, m_statusButton->GetPosition().x + 1, m_statusButton->GetClientSize().y + 6);
  TRACE_END();
}

void NicknamePanel::ChooseStatus(t_status status) {
  TRACE_START_ARGS("%d", int(status));
  SetStatus(status);
  m_manager->ChangeStatus(status);
  m_host->ChangeStatus(status, true);
  TRACE_END();
}

void NicknamePanel::OnStatusOffline(wxCommandEvent&) { ChooseStatus(STATUS_OFFLINE); }
void NicknamePanel::OnStatusOnline(wxCommandEvent&) { ChooseStatus(STATUS_ONLINE); }
void NicknamePanel::OnStatusNoActivity(wxCommandEvent&) { ChooseStatus(STATUS_NO_ACTIVITY); }
void NicknamePanel::OnStatusAway(wxCommandEvent&) { ChooseStatus(STATUS_AWAY); }
void NicknamePanel::OnStatusBusy(wxCommandEvent&) { ChooseStatus(STATUS_BUSY); }

void NicknamePanel::OnUpdateAvatar(wxCommandEvent&) {
  TRACE_STARTEND();
  m_host->UpdateAvatar();
}

wxString NicknamePanel::CleanMood(const wxString& typed) {
  wxString clean;
  int count = 0;
  // wxString iterates over whole characters, so the cut never splits one.
  for (wxUniChar c : typed) {
    if (count == kMaxMood) break;
    const wxUint32 code = c.GetValue();
    const bool control = code < 0x20 || (code >= 0x7f && code < 0xa0) || code == 0x2028 || code == 0x2029;
    clean += control ? wxUniChar(' ') : c;
    ++count;
  }
  return clean;
}

void NicknamePanel::OnChangeMood(wxMouseEvent& event) {
  TRACE_START();
  event.Skip();
  if (!m_manager->IsConnected()) {
    TRACE_END_RESULT("not connected");
    return;
  }
  Config* config = Config::GetInstance();
  MessageYesNoCancelFrame dialog(this, wxEmptyString, _("Enter a short sentence describing your mood:"),
                                 _("Share your mood"), _("&OK"), _("&Cancel"), wxEmptyString,
                                 std2wx(config->GetMood()), kMaxMood);
  if (dialog.ShowModal() == wxID_YES) {
    const wxString mood = CleanMood(dialog.GetValue());
    m_manager->ChangeNickname(config->GetNickname(), wx2std(mood));
    // The own profile, open or not, shows the mood set here.
    if (ContactInfoFrame* own = ContactInfoFrame::GetContactInfoFor(m_manager->GetLogin())) own->SetMood(wx2std(mood));
    m_mood->SetLabel(mood);
    Layout();
  }
  TRACE_END();
}
