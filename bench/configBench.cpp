// Settings file with 5,000 contacts and 5,000 site records: save and load times and file size,
// then the lookups that ordinary use makes against lists of that size.
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "model/config.h"
#include "model/log.h"

namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

ContactInfo* MakeContact(int i) {
  ContactInfo* c = new ContactInfo("user" + std::to_string(i) + "@example.org", "Nickname " + std::to_string(i),
                                   "a mood", "", STATUS_ONLINE, "France", "Lyon", 1 + i % 28, i % 12, 1960 + i % 40,
                                   "group" + std::to_string(i % 20), "parlavox", i % 50 == 0);
  c->SetLoginVisual(NOTIFICATION_ON);
  c->SetLoginBell(NOTIFICATION_OFF);
  c->SetMessageBell(NOTIFICATION_ON);
  return c;
}

URLInfo* MakeSite(int i) {
  URLInfo* u = new URLInfo("http://www.site" + std::to_string(i) + ".example.com/", static_cast<t_site_status>(i % 3),
                           0, 0, 0, kNoGrade, "", kNoUserGrade, "", nullptr);
  u->SetOpenVisualContact(NOTIFICATION_ON);
  u->SetCloseBell(NOTIFICATION_OFF);
  return u;
}

}  // namespace

int main(int argc, char** argv) {
  const int kContacts = 5000, kSites = 5000;
  char dirTemplate[] = "/tmp/parlavox-config-bench-XXXXXX";
  if (!mkdtemp(dirTemplate)) return 1;
  const std::string dir = std::string(dirTemplate) + "/";
  // Traces go to a real file, as in the program.
  start_log((dir + "parlavox.log").c_str());
  Config::SetUserPath(dir);

  Config* c = Config::GetInstance();
  auto t = std::chrono::steady_clock::now();
  for (int i = 0; i < kContacts; ++i) c->UpdateContact(MakeContact(i));
  double fillContacts = Seconds(t);
  t = std::chrono::steady_clock::now();
  for (int i = 0; i < kSites; ++i) c->AddURLInfo(MakeSite(i));
  double fillSites = Seconds(t);

  t = std::chrono::steady_clock::now();
  bool saved = c->Save();
  double save = Seconds(t);
  struct stat st {};
  stat((dir + "parlavox.xml").c_str(), &st);

  t = std::chrono::steady_clock::now();
  bool loaded = Config::Load();
  double load = Seconds(t);
  c = Config::GetInstance();

  // Ordinary use after log-in: the server's update of every contact replaces its record, and
  // every site the browser opens is looked up.
  t = std::chrono::steady_clock::now();
  for (int i = 0; i < kContacts; ++i) c->UpdateContact(MakeContact(i));
  double updateAll = Seconds(t);
  t = std::chrono::steady_clock::now();
  int found = 0;
  for (int i = 0; i < kSites; ++i)
    found += c->GetURLInfo("HTTP://www.site" + std::to_string(i) + ".example.com/") != nullptr;
  double lookupAll = Seconds(t);

  printf("settings file, %d contacts and %d site records\n", kContacts, kSites);
  printf("  file size                 : %lld bytes\n", static_cast<long long>(st.st_size));
  printf("  save                      : %.3f s (%s)\n", save, saved ? "ok" : "FAILED");
  printf("  load                      : %.3f s (%s, %zu contacts, %zu sites)\n", load, loaded ? "ok" : "FAILED",
         c->GetContacts().size(), c->GetAllURLInfo().size());
  printf("  fill: %d UpdateContact    : %.3f s\n", kContacts, fillContacts);
  printf("  fill: %d AddURLInfo       : %.3f s\n", kSites, fillSites);
  printf("  %d UpdateContact, replace : %.3f s\n", kContacts, updateAll);
  printf("  %d GetURLInfo             : %.3f s (%d found)\n", kSites, lookupAll, found);

  if (argc <= 1) {
    unlink((dir + "parlavox.xml").c_str());
    unlink((dir + "parlavox.log").c_str());
    rmdir(dir.c_str());
  }
  return saved && loaded ? 0 : 1;
}
