// Starts the toolkit on the (virtual) display, then runs the GUI tests inside
// an active event loop so that the program's windows behave as in the real one.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include <wx/app.h>
#include <wx/fileconf.h>
#include <wx/evtloop.h>
#include <wx/image.h>

namespace {

class TestApp : public wxApp {
 public:
  bool OnInit() override { return true; }
};

// A toolkit assertion fails the test at hand instead of waiting in a dialog.
void FailOnAssert(const wxString& file, int line, const wxString& func, const wxString& cond, const wxString& msg) {
  ADD_FAILURE() << "toolkit assertion at " << file << ":" << line << " in " << func << ": " << cond << " " << msg;
}

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  wxApp::SetInstance(new TestApp);
  int wxArgc = 1;
  char* wxArgv[] = {argv[0], nullptr};
  if (!wxEntryStart(wxArgc, wxArgv)) return 1;
  wxSetAssertHandler(FailOnAssert);
  wxTheApp->CallOnInit();
  // Recent files and Auto Refresh go to a scratch file, not the user's settings.
  const std::string settings = testing::TempDir() + "/quelbrin-gui-tests-" + std::to_string(getpid()) + ".conf";
  unlink(settings.c_str());
  delete wxConfigBase::Set(new wxFileConfig("Quelbrin", wxEmptyString, settings, wxEmptyString, wxCONFIG_USE_LOCAL_FILE));
  wxInitAllImageHandlers();
  int result = 0;
  {
    wxEventLoop loop;
    wxEventLoopActivator active(&loop);
    result = RUN_ALL_TESTS();
  }
  delete wxConfigBase::Set(nullptr);
  unlink(settings.c_str());
  wxTheApp->OnExit();
  wxEntryCleanup();
  return result;
}
