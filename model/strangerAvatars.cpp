#include "model/strangerAvatars.h"

#include <wx/app.h>
#include <wx/event.h>
#include <wx/thread.h>

#include <utility>

#include "model/config.h"
#include "model/imImage.h"
#include "model/log.h"

namespace {

// Past this many lines beyond twice the bound, the list is written afresh.
const size_t kSlackLines = 64;

}  // namespace

StrangerAvatars& StrangerAvatars::Instance() {
  // Never destroyed: a thread still storing at the very end finds it whole.
  static StrangerAvatars* instance = new StrangerAvatars();
  return *instance;
}

bool StrangerAvatars::IsKept(const std::string& login) {
  Config* config = Config::GetInstance();
  return login == config->GetContactInfo()->GetLogin() || config->HasContact(login);
}

void StrangerAvatars::SetBound(size_t bound) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_bound = bound > 0 ? bound : 1;
}

std::string StrangerAvatars::StoreAvatar(const std::string& login, bool small, t_image_type type,
                                         const unsigned char* data, unsigned long length) {
  if (!login.empty()) Listed(login);
  return IMImage::StoreAvatar(login, small, type, data, length);
}

void StrangerAvatars::Listed(const std::string& login) {
  const std::string directory = Config::GetUserPath();
  if (directory.empty()) return;  // no user directory yet: nowhere to keep the list
  const bool kept = IsKept(login);
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    Open(directory);
    if (kept) {
      auto known = m_index.find(login);
      if (known != m_index.end()) {
        m_order.erase(known->second);
        m_index.erase(known);
      }
    } else if (m_order.empty() || m_order.back() != login) {
      // The two sizes of one avatar come one after the other: the login is listed once.
      MoveToNewest(login);
      if (!m_list.Append(login)) m_stale = true;
      while (m_order.size() > m_bound) {
        m_evicted.push_back(m_order.front());
        m_index.erase(m_order.front());
        m_order.pop_front();
      }
    }
  }
  if (Turn()) ContinueWhenIdle();
}

void StrangerAvatars::Open(const std::string& directory) {
  if (directory == m_directory) return;
  m_directory = directory;
  m_order.clear();
  m_index.clear();
  m_evicted.clear();
  m_stale = false;
  m_olderPassed = 0;
  // Enough of the newest lines to fill the bound; a list this program wrote holds no more lines.
  // Those read in later turns are older than the strangers stored meanwhile.
  m_list.Open(directory, 2 * m_bound + kSlackLines + 1, [this](const std::string& login) {
    if (m_order.size() >= m_bound) return false;
    if (m_index.count(login) == 0) {
      m_order.push_front(login);
      m_index[login] = m_order.begin();
    }
    return true;
  });
}

void StrangerAvatars::MoveToNewest(const std::string& login) {
  auto known = m_index.find(login);
  if (known != m_index.end()) {
    m_order.splice(m_order.end(), m_order, known->second);
    return;
  }
  m_order.push_back(login);
  m_index[login] = std::prev(m_order.end());
}

bool StrangerAvatars::Turn() {
  const std::string directory = Config::GetUserPath();
  std::vector<std::string> going;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    // Another user directory: its own list is taken up at its next store, and this one's rest
    // stays listed for a later run.
    if (directory != m_directory) return false;
    if (m_list.TakingUp()) {
      m_list.TakeUpMore();
      return Pending();
    }
    going = Going();
  }
  // The image store's lock is taken for each removal: no window or thread reads a file as it goes.
  for (const std::string& gone : going) {
    if (!IsKept(gone)) IMImage::RemoveAvatarFiles(gone);
  }
  std::lock_guard<std::mutex> lock(m_mutex);
  if (directory != m_directory) return false;
  RewriteWhenDone();
  return Pending();
}

std::vector<std::string> StrangerAvatars::Going() {
  std::vector<std::string> going;
  while (going.size() < kTurn && !m_evicted.empty()) {
    std::string login = std::move(m_evicted.front());
    m_evicted.pop_front();
    if (m_index.count(login) != 0) continue;  // met again since
    TRACE_INFO("avatar of %s removed: no contact, and the strangers' avatars stored since fill the bound",
               login.c_str());
    going.push_back(std::move(login));
  }
  if (going.size() < kTurn && m_list.HasOlder()) {
    std::vector<std::string> older;
    m_olderPassed += m_list.ReadOlder(kTurn - going.size(), &older);
    for (std::string& login : older)
      if (m_index.count(login) == 0) going.push_back(std::move(login));
    if (!m_list.HasOlder() && m_list.HoldsOlder())
      TRACE_INFO("%zu older lines of the list passed, the avatars of their strangers removed", m_olderPassed);
  }
  return going;
}

void StrangerAvatars::RewriteWhenDone() {
  if (Pending()) return;
  if (m_stale || m_list.HoldsOlder() || m_list.Lines() > 2 * m_bound + kSlackLines) {
    if (m_list.Rewrite(m_order)) m_stale = false;
  }
}

void StrangerAvatars::ContinueWhenIdle() {
  if (!wxTheApp || !wxThread::IsMain()) return;  // the next stores go on with it
  if (m_idleApp != wxTheApp) {
    wxTheApp->Bind(wxEVT_IDLE, &StrangerAvatars::OnIdle, this);
    m_idleApp = wxTheApp;
  }
  wxWakeUpIdle();
}

void StrangerAvatars::OnIdle(wxIdleEvent& event) {
  event.Skip();
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!Pending()) return;
  }
  if (Turn()) event.RequestMore();
}
