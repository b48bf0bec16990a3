#include "gui/contacts/groupEntry.h"

#include <wx/intl.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textdlg.h>

#include <algorithm>
#include <utility>

#include "core/application.h"
#include "gui/contacts/chatRoomEntry.h"
#include "gui/contacts/contactPictures.h"
#include "gui/contacts/contactsHost.h"
#include "gui/contacts/contactsPanel.h"
#include "gui/contacts/lateDestruction.h"
#include "gui/contacts/myButtonBitmap.h"
#include "model/config.h"
#include "model/log.h"
#include "model/stringConversion.h"
#include "widgets/countsLabel.h"
#include "widgets/myStaticText.h"
#include "widgets/shownText.h"
#include "widgets/toolkitFunction.h"

const int GroupEntry::ID_RENAME_GROUP = wxWindow::NewControlId();
const int GroupEntry::ID_REMOVE_GROUP = wxWindow::NewControlId();

namespace {

// The least height of a header. Above its texts it leaves half their height free, as these 28
// pixels do at the usual font size, so that at a larger font it grows with them.
const int kHeaderHeight = 28;
// Longest title shown; the tool tip holds more.
const size_t kMaxTitle = 40;
const size_t kMaxTip = 200;

// The groups change through the main window, which rebuilds every list of groups; a list shown
// without one rebuilds itself.
void GroupsChanged(wxWindow* header) {
  if (ContactsHost* host = ContactsHost::Current()) {
    host->UpdatePrivateContactsGroups();
    return;
  }
  for (wxWindow* up = header->GetParent(); up; up = up->GetParent())
    if (ContactsPanel* panel = dynamic_cast<ContactsPanel*>(up)) return panel->InitPrivateContactsGroups();
}

// The tool kit re-measures a label whose text changed, and everything that holds it up to the
// window, which then works out its own size again and asks the window system where it stands: at
// every new count. The header holds the counts at the size the list gives it: the tool kit's
// layout after a new count stops at the header, which keeps its place and size.
void StopResizeAt(wxWindow* header) {
  using SetResizeMode = void (*)(void*, int);
  static const auto set = toolkit::Find<SetResizeMode>("gtk_container_set_resize_mode");
  const int kResizeQueue = 1;
  if (set && header->GetHandle()) set(header->GetHandle(), kResizeQueue);
}

}  // namespace

wxBEGIN_EVENT_TABLE(GroupEntry, wxPanel)
  EVT_MENU(GroupEntry::ID_RENAME_GROUP, GroupEntry::OnRenameGroup)
  EVT_MENU(GroupEntry::ID_REMOVE_GROUP, GroupEntry::OnDeleteGroup)
wxEND_EVENT_TABLE()

GroupEntry::GroupEntry(wxWindow* parent, const std::string& name, const wxString& label)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL | wxNO_BORDER), m_name(name) {
  wxBoxSizer* sizer = new wxBoxSizer(wxHORIZONTAL);
  SetSizer(sizer);
  SetBackgroundColour(*wxWHITE);
  m_foldIcon = new MyButtonBitmap(this, wxID_ANY, contactPictures::TreeOpened());
  m_foldIcon->Bind(wxEVT_LEFT_DOWN, &GroupEntry::OnBitmapMouseLeftDown, this);
  // A quick second click arrives as a double click.
  m_foldIcon->Bind(wxEVT_LEFT_DCLICK, &GroupEntry::OnBitmapMouseLeftDown, this);
  sizer->Add(m_foldIcon, 0, wxALIGN_BOTTOM | wxBOTTOM, 2);
  // A title wider than the header leaves ends in an ellipsis; screen readers read it whole.
  m_title = new MyStaticText(this, wxID_ANY, shown::OneLine(label, kMaxTitle), false, wxST_ELLIPSIZE_END);
  m_title->SetToolTip(shown::OneLine(label, kMaxTip));
  wxFont bold = m_title->GetFont();
  bold.SetWeight(wxFONTWEIGHT_BOLD);
  m_title->SetFont(bold);
  m_title->Connect(wxEVT_RIGHT_DOWN, wxMouseEventHandler(GroupEntry::OnMouseRightDown), nullptr, this);
  sizer->Add(m_title, 0, wxALIGN_BOTTOM | wxLEFT, 2);
  m_counts = new CountsLabel(this, wxID_ANY);
  wxFont normal = bold;
  normal.SetWeight(wxFONTWEIGHT_NORMAL);
  m_counts->SetFont(normal);
  sizer->AddStretchSpacer(1);
  // One pixel about the label, as about the title's.
  wxBoxSizer* counts = new wxBoxSizer(wxVERTICAL);
  counts->Add(m_counts, 0, wxALL, 1);
  sizer->Add(counts, 0, wxALIGN_BOTTOM | wxLEFT | wxRIGHT, 2);
  FitHeight();
  StopResizeAt(this);
}

// The tool kit applies a new weight only at its next drawing: a bold title sized by it now would be
// cut. The texts are measured in their own fonts instead.
void GroupEntry::FitHeight() {
  wxStaticText* title = m_title->GetInnerText();
  const wxSize extent = title->GetTextExtent(title->GetLabelText());
  const int textHeight = std::max({extent.y, title->GetTextExtent("Ag").y, m_counts->GetTextExtent("0").y});
  // A bold text draws a pixel past its measure.
  m_titleWidth = extent.x + 2;
  title->SetMinSize(wxSize(m_titleWidth, textHeight));
  m_counts->SetMinSize(wxSize(-1, textHeight));
  m_title->InvalidateBestSize();
  const int content = GetSizer()->CalcMin().y;
  const int height = std::max(kHeaderHeight, content + content / 2);
  SetSize(wxSize(-1, height));
  // No width of its own: the list is as wide as its window, and the texts are cut to what the
  // header leaves them, rather than the list scrolling sideways to a title's end.
  SetMinSize(wxSize(0, height));
}

bool GroupEntry::Layout() {
  FitTexts();
  return wxPanel::Layout();
}

// The counts label sets its own least width for each new shape of its text, until it is given less
// here. The counts give way first, then the title, which names the block (shown::Share).
void GroupEntry::FitTexts() {
  const int countsLeast = m_counts->GetEffectiveMinSize().x;
  if (countsLeast != m_countsGiven) m_countsWhole = countsLeast;
  wxStaticText* title = m_title->GetInnerText();
  // The header's width less the two texts: the fold icon, the title's frame and the borders.
  const int beside = GetSizer()->CalcMin().x - title->GetMinSize().x - countsLeast;
  const std::pair<int, int> widths = shown::Share(GetClientSize().x - beside, m_countsWhole, m_titleWidth);
  if (widths.second != title->GetMinSize().x) {
    title->SetMinSize(wxSize(widths.second, title->GetMinSize().y));
    m_title->InvalidateBestSize();
  }
  m_countsGiven = widths.first;
  if (m_countsGiven != countsLeast) m_counts->SetMinSize(wxSize(m_countsGiven, m_counts->GetMinSize().y));
}

GroupEntry::~GroupEntry() {}

wxString GroupEntry::GetTitle() const { return m_title->GetInnerText()->GetLabelText(); }
wxString GroupEntry::GetCountsText() const { return m_counts->GetLabelText(); }

void GroupEntry::SetNbrUsers(int connected, int total) {
  const bool reserved = m_name == "     ONLINE" || m_name == "    OFFLINE";
  const wxString format = reserved ? wxString(_("(%d / %d contacts)")) : wxString("(%d / %d contacts)");
  const wxString text = wxString::Format(format, connected, total);
  if (text == GetCountsText()) return;
  if (m_counts->SetCounts(text)) Layout();
}

void GroupEntry::OnBitmapMouseLeftDown(wxMouseEvent& event) {
  m_opened = !m_opened;
  m_foldIcon->SetBitmap(m_opened ? contactPictures::TreeOpened() : contactPictures::TreeClosed());
  if (ChatRoomEntry* block = dynamic_cast<ChatRoomEntry*>(GetParent())) block->OnBitmapMouseLeftDown(event);
}

std::unique_ptr<wxMenu> GroupEntry::BuildMenu() {
  Manager* manager = GetManager();
  const bool modifiable = manager->IsConnected() && manager->CanModifyGroup(m_name);
  std::unique_ptr<wxMenu> menu(new wxMenu);
  menu->Append(ID_RENAME_GROUP, _("Rename this group"))->Enable(modifiable);
  menu->Append(ID_REMOVE_GROUP, _("Remove this group"))->Enable(modifiable);
  return menu;
}

void GroupEntry::OnMouseRightDown(wxMouseEvent&) {
  lateDestruction::Hold hold;
  std::unique_ptr<wxMenu> menu = BuildMenu();
  m_menuShown = true;
  const int chosen = GetPopupMenuSelectionFromUser(*menu);
  m_menuShown = false;
  menu.reset();
  if (chosen == ID_RENAME_GROUP || chosen == ID_REMOVE_GROUP) {
    wxCommandEvent command(wxEVT_MENU, chosen);
    command.SetEventObject(this);
    ProcessWindowEventLocally(command);
  }
}

void GroupEntry::OnRenameGroup(wxCommandEvent&) {
  lateDestruction::Hold hold;
  const wxString answer = wxGetTextFromUser(_("Enter a new name for this group:"), _("Rename a group"),
                                            std2wx(m_name), wxGetTopLevelParent(this));
  Rename(answer);
}

bool GroupEntry::Rename(const wxString& newName) {
  lateDestruction::Hold hold;
  if (newName.length() > kMaxGroupName) {
    wxMessageBox(_("New group name too long, maximum 30 characters."), _("Group name too long"),
                 wxOK | wxICON_INFORMATION, wxGetTopLevelParent(this));
    return false;
  }
  if (newName.empty()) return true;
  const std::string oldName = m_name, name = wx2std(newName);
  // The list's own sections are no groups of the user's.
  if (Manager::IsSectionName(name)) return true;
  if (!Config::GetInstance()->RenameGroup(oldName, name)) return true;
  GetManager()->RenameGroup(oldName, name);
  m_name = name;
  GroupsChanged(this);
  return true;
}

void GroupEntry::OnDeleteGroup(wxCommandEvent&) {
  lateDestruction::Hold hold;
  GetManager()->RemoveGroup(m_name);
  GroupsChanged(this);
}
