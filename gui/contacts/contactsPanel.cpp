#include "gui/contacts/contactsPanel.h"

#include <wx/app.h>
#include <wx/intl.h>
#include <wx/sizer.h>

#include "core/application.h"
#include "gui/contacts/chatRoomEntry.h"
#include "gui/contacts/contactEntry.h"
#include "gui/subscribeChatRoomListener.h"
#include "model/config.h"
#include "model/log.h"
#include "model/stringConversion.h"
#include "model/urlContactInfo.h"

namespace {

const char* const kOnline = "     ONLINE";
const char* const kOffline = "    OFFLINE";
// One vertical scroll step: the height of a block's header.
const int kScrollStep = 28;
// The blocks a rebuild makes in a turn however long they take (a short list is whole at once).
const size_t kLeastBlocks = 2;
// What one turn of the list's own work may take (making blocks, filling, row windows): the event
// loop draws and answers the user in between.
const auto kTurnBudget = std::chrono::milliseconds(8);
// What a row window and its update are taken to cost before the first ones are measured.
const auto kFirstWindowCost = std::chrono::milliseconds(2);
const auto kFirstCatchUpCost = std::chrono::milliseconds(1);
const auto kFirstCountsCost = std::chrono::microseconds(500);

}  // namespace

ContactsPanel::ContactsPanel(Manager* manager, wxWindow* parent, wxFrame* mainWindow,
                             SubscribeChatRoomListener* listener)
    : wxScrolledWindow(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxHSCROLL | wxVSCROLL),
      m_manager(manager),
      m_listener(listener),
      m_mainWindow(mainWindow),
      m_budget(kTurnBudget),
      m_windowCost(kFirstWindowCost),
      m_catchUpCost(kFirstCatchUpCost),
      m_countsCost(kFirstCountsCost) {
  SetBackgroundColour(*wxWHITE);
  SetScrollRate(0, kScrollStep);
  m_sizer = new wxBoxSizer(wxVERTICAL);
  SetSizer(m_sizer);
  // Rows scrolled into sight stand at their place before they are drawn.
  Bind(wxEVT_SCROLLWIN_THUMBTRACK, &ContactsPanel::OnScroll, this);
  Bind(wxEVT_SCROLLWIN_THUMBRELEASE, &ContactsPanel::OnScroll, this);
  Bind(wxEVT_SCROLLWIN_LINEUP, &ContactsPanel::OnScroll, this);
  Bind(wxEVT_SCROLLWIN_LINEDOWN, &ContactsPanel::OnScroll, this);
  Bind(wxEVT_SCROLLWIN_PAGEUP, &ContactsPanel::OnScroll, this);
  Bind(wxEVT_SCROLLWIN_PAGEDOWN, &ContactsPanel::OnScroll, this);
  Bind(wxEVT_SCROLLWIN_TOP, &ContactsPanel::OnScroll, this);
  Bind(wxEVT_SCROLLWIN_BOTTOM, &ContactsPanel::OnScroll, this);
  Bind(wxEVT_MOUSEWHEEL, &ContactsPanel::OnWheel, this);
  m_turnTimer.SetOwner(this);
  Bind(wxEVT_TIMER, &ContactsPanel::OnTurnTimer, this, m_turnTimer.GetId());
  // The list's turns come with the event loop's idle time, whether the list is shown or not.
  if (wxTheApp) wxTheApp->Bind(wxEVT_IDLE, &ContactsPanel::OnIdle, this);
  InitPrivateContactsGroups();
}

ContactsPanel::~ContactsPanel() {
  m_turnTimer.Stop();
  if (wxTheApp) wxTheApp->Unbind(wxEVT_IDLE, &ContactsPanel::OnIdle, this);
}

void ContactsPanel::Refit() { SetVirtualSize(GetBestVirtualSize()); }

bool ContactsPanel::Layout() {
  const bool done = wxScrolledWindow::Layout();
  for (ChatRoomEntry* block : m_blocks) block->KeepInReach();
  return done;
}

void ContactsPanel::LayOutBlocks() {
  m_sizer->Layout();
  for (ChatRoomEntry* block : m_blocks) block->KeepInReach();
}

int ContactsPanel::TopOf(const ChatRoomEntry* block) const {
  int top = 0;
  for (const ChatRoomEntry* above : m_blocks) {
    if (above == block) break;
    top += above->GetMinSize().y;
  }
  return CalcScrolledPosition(wxPoint(0, top)).y;
}

void ContactsPanel::InitPrivateContactsGroups() {
  TRACE_START();
  HandedOver(1);
  // The old blocks leave at once and go once nothing of theirs runs any more (a rebuild may come
  // from a block header's own menu).
  std::vector<ChatRoomEntry*> old;
  old.swap(m_blocks);
  for (ChatRoomEntry* block : old) block->Discard();
  m_holders.clear();
  StopFill();
  m_blocksToMake.clear();
  // Groups renamed or removed change the saved records themselves.
  m_savedValid = false;
  const Config* config = Config::GetInstance();
  const int mode = config->GetGroupMode(), offline = config->GetGroupOffline();
  if (mode == 0 && offline >= 0 && offline <= 2) {
    m_blocksToMake.emplace_back(kOnline, offline == 2 ? _("Private contacts") : _("Online contacts"));
    if (offline == 1) m_blocksToMake.emplace_back(kOffline, _("Offline contacts"));
  } else if (mode == 1 && offline >= 0 && offline <= 2) {
    for (const std::string& group : config->GetGroups()) m_blocksToMake.emplace_back(group, std2wx(group));
    if (offline == 1) m_blocksToMake.emplace_back(kOffline, _("Offline contacts"));
    m_blocksToMake.emplace_back("", _("No group"));
  }
  // The blocks, then the rows: what this turn has no time for comes in the next ones.
  MakeBlocks(m_budget.End());
  TRACE_END();
}

void ContactsPanel::MakeBlocks(std::chrono::steady_clock::time_point end) {
  if (m_blocksToMake.empty()) return;
  m_rebuilding = true;
  size_t made = 0;
  while (made < m_blocksToMake.size() && (made < kLeastBlocks || std::chrono::steady_clock::now() < end)) {
    CreateGroup(m_blocksToMake[made].first, m_blocksToMake[made].second);
    ++made;
  }
  m_handedOver += long(made);
  m_blocksToMake.erase(m_blocksToMake.begin(), m_blocksToMake.begin() + long(made));
  m_rebuilding = false;
  LayOutBlocks();
  Refit();
  if (m_blocksToMake.empty()) StartFill();
  else WorkNextTurn();
}

void ContactsPanel::MakePendingBlocks() {
  if (!m_blocksToMake.empty()) MakeBlocks(std::chrono::steady_clock::time_point::max());
}

void ContactsPanel::AddGroup(const std::string& name, const wxString& label) {
  if (Config::GetInstance()->GetGroupMode() == 1) CreateGroup(name, label);
}

ChatRoomEntry* ContactsPanel::FindChatRoomEntry(const std::string& name) const {
  for (ChatRoomEntry* block : m_blocks)
    if (block->GetGroupName() == name) return block;
  return nullptr;
}

size_t ContactsPanel::PlaceOfBlock(const std::string& name) const {
  if (name == kOnline) return 0;
  if (name == kOffline) return m_blocks.size();
  for (size_t i = 0; i < m_blocks.size(); ++i) {
    if (name.empty()) {
      if (m_blocks[i]->GetGroupName() == kOffline) return i;
    } else if (CompareNoCase(name, m_blocks[i]->GetGroupName()) < 0) {
      return i;
    }
  }
  return m_blocks.size();
}

void ContactsPanel::CreateGroup(const std::string& name, const wxString& label) {
  size_t start = 0;
  while (start < label.length() && (label[start] == ' ' || label[start] == '~')) ++start;
  const wxString title = label.Mid(start);
  if (FindChatRoomEntry(name)) return;
  const size_t place = PlaceOfBlock(name);
  ChatRoomEntry* block = new ChatRoomEntry(m_manager, this, this, title, name);
  idlePass::Due(block);
  m_blocks.insert(m_blocks.begin() + place, block);
  m_sizer->Insert(place, block, 0, wxEXPAND, 0);
  // A rebuild lays the blocks out once, when all are made.
  if (m_rebuilding) return;
  LayOutBlocks();
  Refit();
}

// Neither frozen nor laid out here: freezing the panel freezes every row of every block, per
// update. The blocks place their rows once the updates of this turn are in, and the panel lays
// out and refits when a block's height changed (BlockResized) or a block was made.
void ContactsPanel::UpdateContact(const URLContactInfo& update) {
  // A contact's block must stand before its row goes in.
  MakePendingBlocks();
  if (update.GetURL() == "none") return ApplyListed(update.GetContactInfo());
  HandedOver(1);
  const std::string group = update.GetGroup();
  if (!FindChatRoomEntry(group)) AddGroup(group, std2wx(group));
  for (ChatRoomEntry* block : m_blocks) block->UpdateNbrUsers();
}

// An update handed over between turns is charged to the next turn: a burst of updates leaves the
// list less time for its own work, so that the two together still let the event loop draw.
void ContactsPanel::ApplyListed(const ContactInfo& contact) {
  const std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
  HandedOver(1);
  MakePendingBlocks();
  const std::string& group = contact.GetGroup();
  NoteSaved(contact.GetLogin(), Config::GetInstance()->HasContact(contact.GetLogin()) ? &group : nullptr);
  ChatRoomEntry* groupBlock = FindChatRoomEntry(group);
  if (!groupBlock) {
    AddGroup(group, std2wx(group));
    groupBlock = FindChatRoomEntry(group);
  }
  // The blocks that may keep the contact (its group's, the sections of those online and offline),
  // and the one that holds its row now, which drops it when another is to keep it. The counts of
  // the first ones change when the saved contacts do.
  ChatRoomEntry* concerned[4] = {groupBlock, FindChatRoomEntry(kOnline), FindChatRoomEntry(kOffline), nullptr};
  auto holder = m_holders.find(contact.GetLogin());
  if (holder != m_holders.end()) concerned[3] = holder->second;
  for (size_t i = 0; i < 4; ++i) {
    if (!concerned[i] || std::find(concerned, concerned + i, concerned[i]) != concerned + i) continue;
    concerned[i]->ApplyListed(contact);
  }
  if (!m_filling) m_budget.Charge(std::chrono::steady_clock::now() - start);
}

void ContactsPanel::RowAdded(const std::string& login, ChatRoomEntry* block) { m_holders[login] = block; }

void ContactsPanel::RowRemoved(const std::string& login, ChatRoomEntry* block) {
  auto holder = m_holders.find(login);
  if (holder != m_holders.end() && holder->second == block) m_holders.erase(holder);
}

void ContactsPanel::BlockResized() {
  ++m_layouts;
  LayOutBlocks();
  Refit();
}

void ContactsPanel::PlacementDue() {
  if (m_placementDue) return;
  m_placementDue = true;
  CallAfter([this] { PlaceBlocks(); });
}

// The places of the rows first, block by block; then the list laid out once, when a block's
// height changed; then the rows in sight of the blocks that changed or moved get their windows
// (those about the view a little later).
void ContactsPanel::PlaceBlocks() {
  m_placementDue = false;
  const std::vector<ChatRoomEntry*> blocks = m_blocks;
  std::vector<ChatRoomEntry*> changed;
  bool resized = false;
  for (ChatRoomEntry* block : blocks) {
    if (block->IsDiscarded() || !block->HasStaleRows()) continue;
    changed.push_back(block);
    if (block->WorkOutPlaces()) resized = true;
  }
  if (changed.empty()) return;
  m_placedSinceTurn = true;
  if (resized) BlockResized();
  for (ChatRoomEntry* block : resized ? blocks : changed)
    if (!block->IsDiscarded()) block->PlaceRowsInSight();
}

void ContactsPanel::RemoveContact(const std::string& login) {
  HandedOver(1);
  if (!Config::GetInstance()->HasContact(login)) NoteSaved(login, nullptr);
  for (ChatRoomEntry* block : m_blocks) block->RemoveContact(login);
  Refit();
  Layout();
}

void ContactsPanel::RemoveAllPrivateContacts() {
  // The saved contacts are gone: none of those still to come is taken in.
  HandedOver(1);
  StopFill();
  for (ChatRoomEntry* block : m_blocks) block->RemoveAll();
  Refit();
}

void ContactsPanel::UpdateAvatar(const std::string& login) {
  for (ChatRoomEntry* block : m_blocks) block->UpdateAvatar(login);
}

void ContactsPanel::NotifyNewMessage(const std::string& login) {
  for (ChatRoomEntry* block : m_blocks) block->NotifyNewMessage(login);
}

void ContactsPanel::SwitchSubscribeChatRoom(const std::string& room, bool subscribed) {
  const std::string other = m_manager->IsPrivateChatRoom(room);
  if (other.empty()) return;
  for (ChatRoomEntry* block : m_blocks) block->SwitchSubscribeChatRoom(other, subscribed);
}

void ContactsPanel::Disconnection() {}

void ContactsPanel::OnScroll(wxScrollWinEvent& event) {
  event.Skip();
  HandedOver(1);
  CallAfter([this] { PlaceVisibleRows(); });
}

void ContactsPanel::OnWheel(wxMouseEvent& event) {
  event.Skip();
  HandedOver(1);
  CallAfter([this] { PlaceVisibleRows(); });
}

void ContactsPanel::PlaceVisibleRows() {
  for (ChatRoomEntry* block : m_blocks) block->PlaceVisibleRows();
}

// Counted anew, the headers of blocks that no update reached since may be out of date: every block
// writes its counts at the next turn.
int ContactsPanel::SavedInGroup(const std::string& name) {
  if (!m_savedValid || m_savedCounted != Config::GetInstance()->CountContacts()) {
    CountSaved();
    if (!m_recountDue) {
      m_recountDue = true;
      CallAfter([this] {
        m_recountDue = false;
        for (ChatRoomEntry* block : m_blocks) block->WriteCounts();
      });
    }
  }
  auto found = m_savedPerGroup.find(name);
  return found == m_savedPerGroup.end() ? 0 : found->second;
}

// Every saved record counts, as the settings count them (a file may hold a login twice).
void ContactsPanel::CountSaved() {
  m_savedGroupOf.clear();
  m_savedPerGroup.clear();
  const std::vector<ContactInfo*> contacts = Config::GetInstance()->GetContacts();
  for (const ContactInfo* contact : contacts) {
    m_savedGroupOf.emplace(contact->GetLogin(), contact->GetGroup());
    ++m_savedPerGroup[contact->GetGroup()];
  }
  m_savedCounted = contacts.size();
  m_savedValid = true;
}

// Null `group`: the contact is no longer saved. The block of a group the contact left counts again
// (no update reaches it when it held no row of the contact).
void ContactsPanel::NoteSaved(const std::string& login, const std::string* group) {
  if (!m_savedValid) return;
  std::string left;
  bool leaving = false;
  auto known = m_savedGroupOf.find(login);
  if (known != m_savedGroupOf.end()) {
    if (group && known->second == *group) return;
    leaving = true;
    left = known->second;
    --m_savedPerGroup[left];
    --m_savedCounted;
    m_savedGroupOf.erase(known);
  }
  if (group) {
    m_savedGroupOf.emplace(login, *group);
    ++m_savedPerGroup[*group];
    ++m_savedCounted;
  }
  if (!leaving) return;
  if (ChatRoomEntry* block = FindChatRoomEntry(left)) block->UpdateNbrUsers();
}

ContactEntry* ContactsPanel::FindContactRow(const std::string& login) const {
  for (ChatRoomEntry* block : m_blocks)
    if (ContactEntry* row = block->FindContact(login)) return row;
  return nullptr;
}

void ContactsPanel::OnOpenPrivateChatRoom(const std::string& login) { m_listener->CreateVirtualChatRoom(login); }

void ContactsPanel::OnAddContact(const std::string& login, const std::string& message) {
  m_listener->AddContact(login, message);
}

void ContactsPanel::OnRemoveContact(const std::string& login, const std::string& message) {
  m_listener->RemoveContact(login, message);
}

void ContactsPanel::OnReportAbuse(const std::string& room, const std::string& login, const std::string& text) {
  m_listener->ReportAbuse(room, login, text);
}

void ContactsPanel::OnBlockContact(const std::string& login, const std::string& message) {
  m_listener->BlockContact(login, message);
}

void ContactsPanel::OnUnblockContact(const std::string& login, const std::string& message) {
  m_listener->UnblockContact(login, message);
}
