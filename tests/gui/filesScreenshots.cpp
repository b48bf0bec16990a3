// Pictures of the file-transfers window and of a site's comments window for review, saved as
// PNG files: transfers in every state in both lists; the comments window with a page, a
// comment and a grade, and with the notice of a comment that could not go. `make screenshots`
// runs it under Xvfb. It checks nothing about the pictures; it fails only when one cannot be
// taken or saved.
// Usage: files_screenshots [output directory]
#include <wx/app.h>
#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/filename.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "gui/rooms/commentsFrame.h"
#include "gui/rooms/commentsPageLoader.h"
#include "gui/rooms/commentsPane.h"
#include "gui/rooms/filesFrame.h"
#include "model/config.h"
#include "model/fileMessage.h"
#include "tests/gui/guiTestSupport.h"
#include "tests/support/screenCapture.h"
#include "tests/support/screenshotProgram.h"

namespace {

std::string g_dir = "screenshots";

void Shoot(wxWindow* window, const std::string& name) {
  guitest::PumpUntil([&] { return window->IsShownOnScreen(); }, 3000);
  window->Raise();
  window->Refresh();
  guitest::Pump(500);
  const wxImage img = screencapture::Capture(window->GetScreenRect());
  if (!img.IsOk() || !img.SaveFile(wxString::FromUTF8(g_dir + "/" + name), wxBITMAP_TYPE_PNG))
    screenshots::Fail("cannot save " + name);
  else
    std::printf("%s/%s\n", g_dir.c_str(), name.c_str());
}

void Transfers() {
  auto* frame = new FilesFrame(nullptr, nullptr);
  frame->SetSize(700, 560);
  struct Row {
    const char* key;
    bool download;
    t_fm_status status;
    long done, size;
    double speed;
    const char* name;
    const char* site;
  } rows[] = {
      {"d1", true, FM_STARTED, 0, 0, 0, "holiday-photos.zip", "http://www.example.org/"},
      {"d2", true, FM_IN_PROGRESS, 38797312, 104857600, 2254857, "/home/bob/video & sound.mkv", "http://www.example.org/"},
      {"d3", true, FM_COMPLETE, 5000, 5000, 812.5, "notes.txt", "http://news.example.com/"},
      {"d4", true, FM_HOST_UNREACHABLE, 0, 73400320, 0, "unreachable.iso", "http://www.example.org/"},
      {"u1", false, FM_IN_PROGRESS, 512, 1000, 999.9, "report.pdf", "prv://parlavox/alice:bob"},
      {"u2", false, FM_CANCELLED, 3221225472L, 6442450944L, 0, "backup-6GB.tar", "http://www.example.org/"},
      {"u3", false, FM_INTERRUPTED, 250000, 1000000, 20480, "slides.odp", "http://www.example.org/"},
      {"u4", false, FM_FAILED, 10, 20000, 0, "draft.doc", "http://www.example.org/"},
  };
  for (const Row& r : rows)
    frame->UpdateFileTransfertStatus(FileMessage(r.site, "bob", "Bob", r.name, r.key, r.key, "127.0.0.1", 6891, 0,
                                                 r.download, r.status, r.done, r.size, r.speed));
  frame->Show();
  Shoot(frame, "transfers_every_state.png");
  frame->Destroy();
  auto* empty = new FilesFrame(nullptr, nullptr);
  empty->Show();
  Shoot(empty, "transfers_empty.png");
  empty->Destroy();
}

void Comments() {
  // Pages are not fetched here: a closed port fails at once, and the page is set by hand.
  comments::SetBaseAddress("http://127.0.0.1:9/");
  CommentsFrame* frame = CommentsFrame::CreateCommentsFor(nullptr, nullptr, nullptr, "http://www.example.org/", "42",
                                                          7.46f, "Good news every morning.", 7);
  frame->Show(true);
  frame->GetPane()->ShowPage(
      "<html><body><p><b>bob</b> (8/10): quick and clear.</p><p><b>carol</b> (6/10): too many ads "
      "&lt;sigh&gt;</p><p><b>dave</b> (9/10): caf\xc3\xa9 reviews are the best part.</p></body></html>");
  Shoot(frame, "comments_window.png");
  frame->GetCommentText()->SetValue("Changed my mind: still good.");
  wxCommandEvent send(wxEVT_BUTTON, frame->GetSendButton()->GetId());
  frame->GetSendButton()->GetEventHandler()->ProcessEvent(send);
  Shoot(frame, "comments_not_sent.png");
  CommentsFrame::CloseAll();
  guitest::Pump(100);
}

}  // namespace

int main(int argc, char** argv) {
  if (!screenshots::Start(argc, argv, g_dir)) return 1;
  Config::SetPath(std::string(PARLAVOX_SOURCE_DIR) + "/data/");
  Transfers();
  Comments();
  const int status = screenshots::Stop();
  std::fflush(stdout);
  std::_Exit(status);
}
