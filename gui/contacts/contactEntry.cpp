// The contact row: construction, presence, avatar, the room icon and its blink, clicks, the
// hover expansion of a contacts-list row and the tool tip of a member row. Its context menu
// and the menu's commands are in contactEntryMenu.cpp.
#include "gui/contacts/contactEntry.h"

#include <wx/filefn.h>
#include <wx/generic/statbmpg.h>
#include <wx/log.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include "core/application.h"
#include "gui/contacts/avatarBitmapPanel.h"
#include "gui/contacts/contactEntryDataPanel.h"
#include "gui/contacts/contactEntryIds.h"
#include "gui/contacts/contactPictures.h"
#include "gui/contacts/contactsHost.h"
#include "gui/contacts/entryListener.h"
#include "gui/contacts/lateDestruction.h"
#include "gui/contacts/rowHost.h"
#include "gui/statusLook.h"
#include "model/config.h"
#include "model/imImage.h"
#include "model/log.h"
#include "model/stringConversion.h"
#include "widgets/accessibleName.h"
#include "widgets/idlePass.h"
#include "widgets/myStaticText.h"
#include "widgets/shownText.h"
#include "widgets/cachedLook.h"

#include <cstring>
#include <utility>

namespace contactEntryIds {
const int ID_ADD_CONTACT = wxWindow::NewControlId();
const int ID_REMOVE_CONTACT = wxWindow::NewControlId();
const int ID_OPEN_PRIVATE_CHATROOM = wxWindow::NewControlId();
const int ID_DISPLAY_PROFILE = wxWindow::NewControlId();
const int ID_HOVER_TIMER = wxWindow::NewControlId();
const int ID_REPORT_ABUSE = wxWindow::NewControlId();
const int ID_BLOCK_CONTACT = wxWindow::NewControlId();
const int ID_UNBLOCK_CONTACT = wxWindow::NewControlId();
const int ID_BLINK_TIMER = wxWindow::NewControlId();
const int ID_INVITE_TO_PARLAVOX = wxWindow::NewControlId();
}  // namespace contactEntryIds

using namespace contactEntryIds;

namespace {

// Longest nickname and mood shown on the row's one line; longer ones end in an ellipsis.
const size_t kMaxNickname = 48;
const size_t kMaxMood = 64;
// What a member row leaves free right of its nickname.
const int kNicknameMargin = 4;
const int kSmallAvatar = 24;
const int kBigAvatar = 64;
const int kExpandDelayMs = 100;
const int kToolTipMs = 3000;
const int kBlinkTicks = 12;
const int kBlinkMs = 500;

ContactEntry::ToolTipMaker& Maker() {
  static ContactEntry::ToolTipMaker maker;
  return maker;
}

ContactToolTipFace* g_entryToolTip = nullptr;
// The tip's window, to learn of its destruction.
wxWeakRef<wxWindow> g_entryToolTipWindow;

// A network type that can name a file: plain letters, digits, dots, dashes and underscores.
bool IsPlainName(const std::string& name) {
  if (name.empty() || name.find("..") != std::string::npos) return false;
  for (char c : name)
    if (!isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-' && c != '_') return false;
  return true;
}

}  // namespace

ContactEntry* ContactEntry::s_entryHighlighted = nullptr;

wxBEGIN_EVENT_TABLE(ContactEntry, wxPanel)
  EVT_MENU(ID_ADD_CONTACT, ContactEntry::OnAddContact)
  EVT_MENU(ID_REMOVE_CONTACT, ContactEntry::OnRemoveContact)
  EVT_MENU(ID_OPEN_PRIVATE_CHATROOM, ContactEntry::OnOpenPrivateChatRoom)
  EVT_MENU(ID_DISPLAY_PROFILE, ContactEntry::OnDisplayProfile)
  EVT_TIMER(ID_HOVER_TIMER, ContactEntry::OnHoverTimer)
  EVT_MENU(ID_REPORT_ABUSE, ContactEntry::OnReportAbuse)
  EVT_MENU(ID_BLOCK_CONTACT, ContactEntry::OnBlockContact)
  EVT_MENU(ID_UNBLOCK_CONTACT, ContactEntry::OnUnblockContact)
  EVT_TIMER(ID_BLINK_TIMER, ContactEntry::OnBlinkTimer)
  EVT_MENU(ID_INVITE_TO_PARLAVOX, ContactEntry::OnInviteToParlavox)
wxEND_EVENT_TABLE()

ContactEntry::ContactEntry(Manager* manager, wxWindow* parent, EntryListener* listener, const ContactInfo& contact,
                           e_cep_role role, bool subscribed, const std::string& room)
    : wxPanel(parent, wxID_ANY),
      m_manager(manager),
      m_listener(listener),
      m_contactInfo(contact),
      m_login(contact.GetLogin()),
      m_nickname(contact.GetNickname()),
      m_role(role),
      m_room(room),
      m_hoverTimer(this, ID_HOVER_TIMER),
      m_blinkTimer(this, ID_BLINK_TIMER) {
  m_mainSizer = new wxBoxSizer(wxHORIZONTAL);
  SetSizer(m_mainSizer);
  SetBackgroundColour(*wxWHITE);
  m_mainSizer->Add(8, 8, 0, 0, 0);
  contactPictures::LoadAll();
  if (m_role == CEP_CONTACTS_LIST) {
    m_roomBitmap = new PictureWindow(this, wxID_ANY, contactPictures::RoomEmpty());
    m_roomBitmap->Bind(wxEVT_LEFT_UP, &ContactEntry::OnRoomIconLeftUp, this);
    m_mainSizer->Add(m_roomBitmap, 0, wxALIGN_CENTER_VERTICAL, 0);
  }
  m_avatarPanel = new AvatarBitmapPanel(this);
  BindMouse(m_avatarPanel, true);
  m_avatarPanel->SetMinSize(wxSize(kSmallAvatar, kSmallAvatar));
  m_mainSizer->Add(m_avatarPanel, 0, wxALIGN_CENTER_VERTICAL | wxALL, 2);
  BuildFirstLine(subscribed);
}

ContactEntry::~ContactEntry() {
  if (s_entryHighlighted == this) s_entryHighlighted = nullptr;
  // A member row whose timer was to hide the shared tip hides it now.
  if (m_tipTimerRunning && g_entryToolTipWindow) g_entryToolTipWindow->Hide();
}

void ContactEntry::BuildFirstLine(bool subscribed) {
  wxBoxSizer* firstLine = new wxBoxSizer(wxHORIZONTAL);
  m_textSizer = new wxBoxSizer(wxVERTICAL);
  m_mainSizer->Add(m_textSizer, 1, wxALIGN_CENTER_VERTICAL | wxLEFT, 2);
  m_textSizer->Add(firstLine, 0, wxLEFT, 2);
  m_nicknameText = new MyStaticText(this, wxID_ANY, shown::OneLine(m_contactInfo.GetNickname(), kMaxNickname), true);
  m_nicknameText->Connect(wxEVT_RIGHT_DOWN, wxMouseEventHandler(ContactEntry::OnMouseRightDown), nullptr, this);
  m_nicknameText->Connect(wxEVT_LEFT_UP, wxMouseEventHandler(ContactEntry::OnMouseLeftDClick), nullptr, this);
  firstLine->Add(m_nicknameText, 0, wxALIGN_CENTER_VERTICAL, 0);
  SetProtocolIcon();
  if (m_protocolBitmap) firstLine->Add(m_protocolBitmap, 0, 0, 0);
  if (m_role == CEP_CONTACTS_LIST || m_role == CEP_TOOLTIP) {
    m_moodText = new LabelText(this, wxID_ANY, wxString());
    wxFont font = m_moodText->GetFont();
    font.SetFamily(wxFONTFAMILY_SWISS);
    font.SetStyle(wxFONTSTYLE_ITALIC);
    m_moodText->SetFont(font);
    BindMouse(m_moodText, false);
    firstLine->Add(m_moodText, 0, wxALIGN_CENTER_VERTICAL, 0);
  }
  if (m_role == CEP_PROFILE || m_role == CEP_TOOLTIP) {
    EnsureDataPanel();
    m_dataPanel->Show();
  }
  SetMood(m_contactInfo.GetMood());
  SetStatus(m_contactInfo.GetStatus());
  SetSubscribed(subscribed);
}

void ContactEntry::BindMouse(wxWindow* window, bool hover) {
  window->Bind(wxEVT_LEFT_UP, &ContactEntry::OnMouseLeftDClick, this);
  window->Bind(wxEVT_RIGHT_DOWN, &ContactEntry::OnMouseRightDown, this);
  if (!hover) return;
  window->Bind(wxEVT_ENTER_WINDOW, &ContactEntry::OnMouseEnter, this);
  window->Bind(wxEVT_LEAVE_WINDOW, &ContactEntry::OnMouseLeave, this);
}

void ContactEntry::SetProtocolIcon() {
  const std::string type = m_contactInfo.GetImType();
  if (type == "parlavox") return;
  wxBitmap icon;
  // The network's name comes from the server: it names a file only when it is a plain name.
  if (IsPlainName(type)) {
    // Stored as a gif, jpg or png image, whichever the server sent.
    wxLogNull quiet;
    icon = IMImage::GetImage(IMImage::MessengerIconName(type), false);
    if (icon.IsOk()) icon = IMImage::ResizeBitmap(icon, wxSize(16, 16), false, false);
  }
  if (!icon.IsOk()) {
    wxImage blank(16, 16);
    blank.InitAlpha();
    memset(blank.GetAlpha(), 0, 16 * 16);
    icon = wxBitmap(blank);
  }
  m_protocolBitmap = new wxStaticBitmap(this, wxID_ANY, icon);
  if (MessengerProtocolInfo* protocol = m_manager->GetMessengerProtocol(type))
    m_protocolBitmap->SetToolTip(shown::OneLine(protocol->GetDescription(), 200));
}

void ContactEntry::EnsureDataPanel() {
  if (m_dataPanel) return;
  m_dataPanel = new ContactEntryDataPanel(this, m_manager, m_contactInfo);
  m_textSizer->Add(m_dataPanel, 0, wxALL, 2);
}

// ---- Presence, mood, avatar.

// What did not change is not set again: a list of thousands of rows follows bursts of changes.
void ContactEntry::SetStatus(t_status status) {
  if (m_contactInfo.GetStatus() != status) m_contactInfo.SetStatus(status);
  if (!m_nicknameText->GetInnerText()->IsEnabled()) m_nicknameText->Enable(true);
  const wxColour colour = statusLook::Colour(status);
  if (m_nicknameText->GetInnerText()->GetForegroundColour() != colour) m_nicknameText->SetForegroundColour(colour);
  if (m_dataPanel) m_dataPanel->SetStatus(status);
  RefreshAvatar(false, true);
  wxFont font = m_nicknameText->GetFont();
  const wxFontWeight weight = font.GetWeight();
  if (status == STATUS_NONE || status == STATUS_OFFLINE) font.SetWeight(wxFONTWEIGHT_NORMAL);
  else if (status >= STATUS_ONLINE && status <= STATUS_BUSY) font.SetWeight(wxFONTWEIGHT_BOLD);
  if (font.GetWeight() != weight) {
    m_nicknameText->SetFont(font);
    m_laidOut = false;
  }
  if (!m_laidOut) {
    FitNickname();
    m_mainSizer->Layout();
    m_laidOut = true;
  }
  UpdateAccessibleName();
}

// The labels are measured in their own font: the tool kit applies a new weight or style only at
// its next drawing, and a bold nickname or an italic mood sized in the plain font would be cut.
void ContactEntry::FitNickname() {
  ShortenTexts();
  for (wxStaticText* text : {m_nicknameText->GetInnerText(), m_moodText}) {
    if (!text) continue;
    const wxSize extent = text->GetTextExtent(text->GetLabelText());
    text->SetMinSize(wxSize(extent.x + 2, -1));
  }
  m_nicknameText->InvalidateBestSize();
  m_nicknameText->Layout();
}

// A row of the contacts list or of a room's column is as wide as the list: a nickname or a mood
// longer than the room left beside the avatar ends in an ellipsis, the mood giving way first, on
// one line (the tool kit would break it after a word or a hyphen onto a line the row hides). The
// accessible names keep them whole.
void ContactEntry::ShortenTexts() {
  if (m_role != CEP_CHATROOM && m_role != CEP_CONTACTS_LIST) return;
  const wxString nickname = shown::OneLine(m_nickname, kMaxNickname);
  wxStaticText* inner = m_nicknameText->GetInnerText();
  // The labels stand where the row's layout put them, whatever their widths: the nickname's text
  // 1 pixel inside its frame on each side, and each text drawn a pixel past its measure.
  int room = GetClientSize().x - m_nicknameText->GetPosition().x - kNicknameMargin;
  if (m_protocolBitmap) room -= m_protocolBitmap->GetSize().x;
  wxString shownNickname = nickname, shownMood = m_mood;
  if (room > 0) {
    const int nicknameWhole = inner->GetTextExtent(nickname).x + 4;
    const int moodWhole = m_mood.empty() ? 0 : m_moodText->GetTextExtent(m_mood).x + 2;
    const std::pair<int, int> widths = shown::Share(room, moodWhole, nicknameWhole);
    shownNickname = shown::Fitted(nickname, inner, inner->GetFont(), widths.second - 4);
    if (moodWhole > 0) shownMood = shown::Fitted(m_mood, m_moodText, m_moodText->GetFont(), widths.first - 2);
  }
  if (shownNickname != inner->GetLabelText()) m_nicknameText->SetLabel(shownNickname);
  if (m_moodText && shownMood != m_moodText->GetLabelText()) m_moodText->SetLabelText(shownMood);
  // The details stand below the nickname, as far from the row's left.
  if (m_dataPanel && m_dataPanel->IsShown() && room > 0) {
    if (m_protocolBitmap) room += m_protocolBitmap->GetSize().x;
    m_dataPanel->FitTo(room);
  }
}

// At once, not at the size event, which the tool kit sends once it has laid the window out: the
// row's window is placed, and read, before that.
void ContactEntry::DoSetSize(int x, int y, int width, int height, int sizeFlags) {
  wxPanel::DoSetSize(x, y, width, height, sizeFlags);
  if ((m_role != CEP_CHATROOM && m_role != CEP_CONTACTS_LIST) || !m_nicknameText ||
      GetClientSize().x == m_shortenedFor)
    return;
  m_shortenedFor = GetClientSize().x;
  FitToWidth();
}

void ContactEntry::FitToWidth() {
  m_mainSizer->Layout();
  FitNickname();
  m_mainSizer->Layout();
}

void ContactEntry::SetMood(const std::string& mood) {
  if (!m_moodText) return;
  const wxString label = mood.empty() ? wxString() : " - " + shown::OneLine(mood, kMaxMood);
  if (label == m_mood) return;
  m_mood = label;
  m_moodText->SetLabelText(label);
  // Read whole, however it is cut on the screen.
  accessible::SetName(m_moodText, label);
  m_laidOut = false;
}

void ContactEntry::UpdateAccessibleName() {
  const wxString name = shown::OneLine(m_nickname, kMaxNickname) + ", " + statusLook::Name(m_contactInfo.GetStatus());
  if (name == m_accessibleName) return;
  m_accessibleName = name;
  accessible::SetName(this, name);
}

void ContactEntry::ShowAvatar(const wxBitmap& bitmap) {
  const t_status status = m_contactInfo.GetStatus();
  if (status == STATUS_NONE || status == STATUS_OFFLINE) {
    m_avatarPanel->SetBitmap(bitmap.IsOk() ? wxBitmap(bitmap.ConvertToImage().ConvertToGreyscale(0.299, 0.587, 0.114))
                                           : bitmap);
  } else if (status >= STATUS_ONLINE && status <= STATUS_BUSY) {
    m_avatarPanel->SetBitmap(bitmap);
  }
}

void ContactEntry::UpdateAvatar(bool alsoTip) { RefreshAvatar(true, alsoTip); }

// The picture is fetched again when it may have changed (forced: a new avatar) or when it must
// be drawn otherwise (size, grey, crossed out).
void ContactEntry::RefreshAvatar(bool force, bool alsoTip) {
  // The blocked flag changes by the user's own action, which the controller's record knows first.
  // The rest of the row's copy stays as the last update brought it, so that the row is sorted
  // and counted by what it shows.
  m_contactInfo.SetBlocked(m_manager->GetContactInfo(m_login)->IsBlocked());
  const bool small = s_entryHighlighted != this && (m_role == CEP_CONTACTS_LIST || m_role == CEP_CHATROOM);
  const t_status status = m_contactInfo.GetStatus();
  const int drawn = (small ? 1 : 0) + (status == STATUS_NONE || status == STATUS_OFFLINE ? 2 : 0) +
                    (m_contactInfo.IsBlocked() ? 4 : 0);
  if (!force && drawn == m_avatarDrawn) return;
  m_avatarDrawn = drawn;
  ShowAvatar(m_manager->GetAvatar(m_login, small, true, BORDER_SIMPLE, m_contactInfo.IsBlocked()));
  Relayout();
  // The tip goes with the window that owns it: it is reached only while it exists.
  ContactToolTipFace* tip = GetSharedToolTip();
  if (alsoTip && tip && m_role != CEP_TOOLTIP && tip->GetLogin() == m_login) tip->UpdateAvatar();
}

void ContactEntry::Relayout() {
  InvalidateBestSize();
  if (RowHost* host = dynamic_cast<RowHost*>(GetParent())) {
    // The row grows or shrinks at once from its top, so that the avatar stays under the
    // pointer; its host moves the rows below.
    const int height = GetBestSize().y;
    if (height != GetSize().y) {
      SetSize(wxSize(GetSize().x, height));
      host->RowResized(this);
    }
    Layout();
    Refresh();
    return;
  }
  Layout();
  Refresh();
  if (wxWindow* parent = GetParent()) {
    parent->Layout();
    if (wxWindow* grandparent = parent->GetParent()) grandparent->Layout();
  }
}

void ContactEntry::UpdateContactInfo(const ContactInfo& contact) {
  const bool renamed = contact.GetNickname() != m_nickname;
  m_contactInfo = contact;
  m_login = contact.GetLogin();
  m_nickname = contact.GetNickname();
  if (m_dataPanel) m_dataPanel->UpdateContactInfo(contact);
  if (renamed) {
    m_nicknameText->SetLabel(shown::OneLine(m_nickname, kMaxNickname));
    m_laidOut = false;
  }
  SetMood(contact.GetMood());
  SetStatus(contact.GetStatus());
  if (m_room == "none") SetSubscribed(contact.HasPrivateChatRoomWith(m_manager->GetLogin()) || IsPrivateRoomOpen());
  else SetSubscribed(contact.IsSubscribedTo(m_room));
  if (!m_laidOut) {
    FitNickname();
    Layout();
    m_laidOut = true;
  }
  ContactToolTipFace* tip = GetSharedToolTip();
  if (tip && m_role != CEP_TOOLTIP && tip->GetLogin() == m_login) tip->UpdateContactInfo(contact);
}

void ContactEntry::ShowContact(const ContactInfo& contact, bool subscribed) {
  Unhighlight();
  m_hoverTimer.Stop();
  // The tip this member row showed was the other contact's; its timer would have hidden it.
  if (m_tipTimerRunning && g_entryToolTipWindow) g_entryToolTipWindow->Hide();
  m_tipTimerRunning = false;
  m_blinkTimer.Stop();
  // Another contact: its own avatar.
  m_avatarDrawn = -1;
  UpdateContactInfo(contact);
  SetSubscribed(subscribed);
}

// ---- The private room's icon.

bool ContactEntry::IsPrivateRoomOpen() {
  return m_manager->HasSubscribedTo(m_manager->GetPrivateChatRoomNameWith(m_login));
}

void ContactEntry::SetSubscribed(bool subscribed) {
  if (m_role != CEP_CONTACTS_LIST || !m_roomBitmap) return;
  const wxBitmap& icon = subscribed ? contactPictures::RoomGreen() : contactPictures::RoomEmpty();
  if (!m_roomBitmap->GetBitmap().IsSameAs(icon)) m_roomBitmap->SetBitmap(icon);
}

void ContactEntry::NotifyNewMessage() {
  m_blinkCount = kBlinkTicks;
  m_blinkOn = true;
  m_blinkTimer.Start(kBlinkMs);
}

void ContactEntry::OnBlinkTimer(wxTimerEvent&) {
  SetSubscribed(m_blinkOn);
  m_blinkOn = !m_blinkOn;
  if (--m_blinkCount > 0) return;
  m_blinkTimer.Stop();
  SetSubscribed(IsPrivateRoomOpen());
}

// ---- Clicks.

bool ContactEntry::IsSelfRow() const { return m_login == m_manager->GetLogin(); }

void ContactEntry::OnMouseLeftDClick(wxMouseEvent&) {
  if (m_role != CEP_CONTACTS_LIST && m_role != CEP_CHATROOM) return;
  if (IsSelfRow() || m_contactInfo.GetStatus() == STATUS_OFFLINE || !m_listener) return;
  lateDestruction::Hold hold;
  m_listener->OnOpenPrivateChatRoom(m_login);
}

void ContactEntry::OnRoomIconLeftUp(wxMouseEvent& event) {
  if (IsPrivateRoomOpen()) OnMouseLeftDClick(event);
}

void ContactEntry::OnOpenPrivateChatRoom(wxCommandEvent&) {
  if (IsSelfRow() || !m_listener) return;
  lateDestruction::Hold hold;
  m_listener->OnOpenPrivateChatRoom(m_login);
}

void ContactEntry::OnDisplayProfile(wxCommandEvent&) {
  lateDestruction::Hold hold;
  if (ContactsHost* host = ContactsHost::Current()) host->OpenProfile(m_login);
}

// ---- Hover.

bool ContactEntry::IsMouseOverAvatar(const wxPoint& point) const {
  const wxRect area(m_avatarPanel->GetScreenPosition(), m_avatarPanel->GetSize());
  return m_avatarPanel->IsShownOnScreen() && area.Contains(point);
}

void ContactEntry::OnMouseEnter(wxMouseEvent& event) {
  event.Skip();
  if (m_discarded) return;
  if (m_role == CEP_CHATROOM) {
    ShowSharedToolTip();
    return;
  }
  if (m_role != CEP_CONTACTS_LIST) return;
  // Moving between the avatar's panel and its picture stays on the same avatar.
  if (s_entryHighlighted == this && IsMouseOverAvatar(wxGetMousePosition())) return;
  if (s_entryHighlighted) s_entryHighlighted->Unhighlight();
  if (!m_menuShown) m_hoverTimer.StartOnce(kExpandDelayMs);
}

void ContactEntry::OnMouseLeave(wxMouseEvent& event) {
  event.Skip();
  if (m_role != CEP_CONTACTS_LIST) return;
  if (IsMouseOverAvatar(wxGetMousePosition())) return;
  Unhighlight();
}

void ContactEntry::OnHoverTimer(wxTimerEvent&) {
  m_hoverTimer.Stop();
  if (m_role == CEP_CHATROOM) {
    m_tipTimerRunning = false;
    if (g_entryToolTipWindow) g_entryToolTipWindow->Hide();
    return;
  }
  if (s_entryHighlighted == this || m_discarded || m_menuShown || !IsMouseOverAvatar(wxGetMousePosition())) return;
  Expand();
}

void ContactEntry::Expand() {
  if (s_entryHighlighted) s_entryHighlighted->Unhighlight();
  s_entryHighlighted = this;
  Freeze();
  m_avatarDrawn = -1;
  ShowAvatar(m_manager->GetAvatar(m_login, false, true, BORDER_SIMPLE, m_contactInfo.IsBlocked()));
  m_avatarPanel->SetMinSize(wxSize(kBigAvatar, kBigAvatar));
  // The grown avatar keeps its top where the pointer found it, above the taller details.
  if (wxSizerItem* item = m_mainSizer->GetItem(m_avatarPanel)) item->SetFlag(wxALIGN_TOP | wxALL);
  EnsureDataPanel();
  m_dataPanel->Show();
  idlePass::Due(m_dataPanel);
  // The grown avatar leaves the texts less room.
  FitToWidth();
  Relayout();
  Thaw();
}

void ContactEntry::Unhighlight() {
  if (s_entryHighlighted != this) return;
  Freeze();
  m_avatarDrawn = -1;
  ShowAvatar(m_manager->GetAvatar(m_login, true, false, BORDER_SIMPLE, m_contactInfo.IsBlocked()));
  m_avatarPanel->SetMinSize(wxSize(kSmallAvatar, kSmallAvatar));
  if (wxSizerItem* item = m_mainSizer->GetItem(m_avatarPanel)) item->SetFlag(wxALIGN_CENTER_VERTICAL | wxALL);
  if (m_dataPanel) m_dataPanel->Hide();
  s_entryHighlighted = nullptr;
  FitToWidth();
  Relayout();
  Thaw();
}

// ---- The tool tip that member rows share.

void ContactEntry::SetToolTipMaker(ToolTipMaker maker) { Maker() = std::move(maker); }

ContactToolTipFace* ContactEntry::GetSharedToolTip() { return g_entryToolTipWindow ? g_entryToolTip : nullptr; }

void ContactEntry::ShowSharedToolTip() {
  if (!g_entryToolTipWindow) g_entryToolTip = nullptr;
  if (!g_entryToolTip) {
    if (!Maker()) return;
    // The tip outlives every row: it belongs to the main window (or to this row's window).
    ContactsHost* host = ContactsHost::Current();
    wxWindow* owner = host ? host->GetTipOwner() : wxGetTopLevelParent(this);
    g_entryToolTip = Maker()(owner, m_manager, m_contactInfo);
    if (!g_entryToolTip) return;
    g_entryToolTipWindow = g_entryToolTip->GetTipWindow();
  }
  const wxPoint place(wxGetMousePosition().x, GetScreenPosition().y + GetSize().y + 10);
  g_entryToolTip->UpdateContactInfo(m_contactInfo);
  g_entryToolTip->MoveInsideScreen(place);
  g_entryToolTipWindow->Show();
  m_tipTimerRunning = true;
  m_hoverTimer.StartOnce(kToolTipMs);
}

// ---- Removal.

void ContactEntry::Discard() {
  if (m_discarded) return;
  m_discarded = true;
  Unhighlight();
  m_listener = nullptr;
  m_hoverTimer.Stop();
  m_blinkTimer.Stop();
  lateDestruction::Discard(this);
}
