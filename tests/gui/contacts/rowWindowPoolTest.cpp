// The row windows a long list keeps aside: a window goes only to a contact of its own network
// and then shows that contact, the last one kept goes first, and no more than the pool's size is
// kept, the others being discarded.
#include <gtest/gtest.h>
#include <wx/frame.h>

#include <string>
#include <vector>

#include "core/application.h"
#include "gui/contacts/contactEntry.h"
#include "gui/contacts/rowWindowPool.h"
#include "model/config.h"
#include "tests/gui/guiTestSupport.h"
#include "tests/support/testSupport.h"

namespace {

ContactInfo Contact(const std::string& login, const std::string& network) {
  ContactInfo contact;
  contact.SetLogin(login);
  contact.SetNickname("Nick " + login);
  contact.SetStatus(STATUS_ONLINE);
  contact.SetImType(network);
  return contact;
}

TEST(RowWindowPool, KeptWindowsGoToTheirOwnNetworkShowTheirNewContactAndAreBounded) {
  testsupport::TempDir home;
  Config::SetPath(testsupport::SourceDir() + "/data/");
  Config::SetUserPath(home.path());
  wxFrame* frame = new wxFrame(nullptr, wxID_ANY, "Rows");
  int made = 0;
  RowWindowPool pool([&](const ContactInfo& contact, bool subscribed) {
    ++made;
    return new ContactEntry(GetManager(), frame, nullptr, contact, CEP_CONTACTS_LIST, subscribed, "none");
  });

  ContactEntry* first = pool.Take(Contact("bob", ""), false);
  EXPECT_EQ(1, made);
  EXPECT_FALSE(first->IsShown());
  EXPECT_EQ("bob", first->GetLogin());
  ContactEntry* other = pool.Take(Contact("icq1", "icq"), false);
  first->Show();
  pool.Give(first);
  pool.Give(other);
  EXPECT_FALSE(first->IsShown());
  EXPECT_EQ(2u, pool.Size());

  // The window of the other network is passed over, though kept last.
  ContactEntry* carl = pool.Take(Contact("carl", ""), false);
  EXPECT_EQ(first, carl);
  EXPECT_EQ("carl", carl->GetLogin());
  EXPECT_EQ("Nick carl", carl->GetNickname());
  EXPECT_EQ(2, made);
  EXPECT_EQ(1u, pool.Size());
  // A network no window kept shows: a new one.
  ContactEntry* jabber = pool.Take(Contact("j1", "jabber"), false);
  EXPECT_EQ(3, made);
  EXPECT_TRUE(jabber->CanShow(Contact("j2", "jabber")));
  EXPECT_EQ(other, pool.Take(Contact("icq2", "icq"), false));
  EXPECT_EQ(0u, pool.Size());

  // Given back beyond the pool's size, windows are discarded; the last kept comes out first.
  std::vector<ContactEntry*> windows{carl, jabber, other};
  while (windows.size() < RowWindowPool::kMaxSpare + 2)
    windows.push_back(pool.Take(Contact("m" + std::to_string(windows.size()), ""), false));
  for (ContactEntry* window : windows) pool.Give(window);
  EXPECT_EQ(RowWindowPool::kMaxSpare, pool.Size());
  for (size_t i = 0; i < windows.size(); ++i)
    EXPECT_EQ(i >= RowWindowPool::kMaxSpare, windows[i]->IsDiscarded()) << i;
  EXPECT_EQ(windows[RowWindowPool::kMaxSpare - 1], pool.Take(Contact("last", ""), false));

  frame->Destroy();
  guitest::Pump(30);
}

}  // namespace
