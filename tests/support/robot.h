// The robot user: watches the top-level windows a program under test shows,
// records what it sees, checks each against the case's script and answers as
// a person would (only through controls a person could reach).
//
//   Robot user;
//   user.Expect(MessageBox("Warning").Containing("other anti-virus")).Answer(IDCANCEL);
//   user.Expect(Dialog("Select Components to Install")).SetCheck(1023, false).Click(IDOK);
//
// A window that is not the next one scripted, or a scripted window that never
// comes, is a failure; failures and the transcript are reported by the run.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace bench {

struct ControlSeen {
  int id = 0;
  std::string className;
  std::string text;
  bool visible = false;
  bool enabled = false;
  int check = -1;  // BM_GETCHECK for check boxes and radio buttons, else -1
  LONG style = 0;
};

struct WindowSeen {
  HWND hwnd = nullptr;
  DWORD pid = 0;
  std::string caption;
  std::string className;
  bool messageBox = false;
  std::string text;                  // a message box's text
  std::string icon;                  // none, information, exclamation, question, error, unknown
  std::vector<std::string> buttons;  // a message box's buttons, in id order: OK, Cancel, Yes, ...
  std::string owner;                 // "none" or the owner window's caption
  LONG style = 0;
  RECT rect{};
  std::vector<ControlSeen> controls;
  std::vector<std::string> actions;  // what the robot did to it

  const ControlSeen* Control(int id) const;
  bool HasCloseBox() const { return (style & WS_SYSMENU) != 0; }
  std::string Describe() const;
};

// What a scripted window must look like.
class WindowSpec {
 public:
  enum class Kind { Any, MessageBox, Dialog };
  WindowSpec(Kind kind, std::string caption) : kind_(kind), caption_(std::move(caption)) {}

  WindowSpec& Containing(std::string part) { contains_.push_back(std::move(part)); return *this; }
  WindowSpec& WithText(std::string text) { text_ = std::move(text); hasText_ = true; return *this; }
  WindowSpec& WithIcon(std::string icon) { icon_ = std::move(icon); return *this; }
  WindowSpec& WithButtons(std::string buttons) { buttons_ = std::move(buttons); return *this; }  // "OK|Cancel"
  WindowSpec& FromAnyProcess() { anyProcess_ = true; return *this; }

  bool AnyProcess() const { return anyProcess_; }
  const std::string& Caption() const { return caption_; }
  // Empty when the window matches, else why not.
  std::string Mismatch(const WindowSeen& seen) const;
  std::string Describe() const;

 private:
  Kind kind_;
  std::string caption_;
  std::vector<std::string> contains_;
  std::string text_;
  bool hasText_ = false;
  std::string icon_;
  std::string buttons_;
  bool anyProcess_ = false;
};

inline WindowSpec MessageBox(std::string caption) { return {WindowSpec::Kind::MessageBox, std::move(caption)}; }
inline WindowSpec Dialog(std::string caption) { return {WindowSpec::Kind::Dialog, std::move(caption)}; }
inline WindowSpec AnyWindow(std::string caption) { return {WindowSpec::Kind::Any, std::move(caption)}; }

class Robot;

// One scripted window and what the user does with it, in order.
class Step {
 public:
  explicit Step(WindowSpec wanted) : wanted_(std::move(wanted)) {}

  Step& Answer(int buttonId);                    // a message box's button: IDOK, IDYES, ...
  Step& Click(int controlId);                    // a push button of a dialog
  Step& SetCheck(int controlId, bool checked);   // clicks the box when its state differs
  Step& Type(int controlId, std::string text);   // fills an edit field
  Step& PressEsc();
  Step& Close();                                 // the caption's close box
  Step& Wait(int milliseconds);
  Step& StaysOpen(int milliseconds = 300);       // fails when the window has gone
  Step& Do(std::function<void(HWND, Robot&)> action, std::string what);

  const WindowSpec& Wanted() const { return wanted_; }

 private:
  friend class Robot;
  struct Action {
    std::string what;
    std::function<void(HWND, Robot&)> run;
  };
  WindowSpec wanted_;
  std::vector<Action> actions_;
};

class Robot {
 public:
  Robot() = default;
  ~Robot();
  Robot(const Robot&) = delete;
  Robot& operator=(const Robot&) = delete;

  Step& Expect(WindowSpec wanted);

  // Watching: the run starts and stops the robot around the program.
  void Start(DWORD pid);
  void AddProcess(DWORD pid);
  // Stops watching; a scripted window that never came is a failure.
  void Finish();

  bool Ok() const;
  std::vector<std::string> Failures() const;
  std::string Transcript() const;
  std::vector<WindowSeen> Seen() const;
  bool Saw(const std::string& caption) const;
  int CountSeen(const std::string& caption) const;
  // The n-th window (from 0) seen with that caption; empty hwnd when none.
  WindowSeen Find(const std::string& caption, int nth = 0) const;

  void Fail(std::string why);
  void Note(HWND hwnd, std::string what);  // adds to the transcript of a window

  // Snapshot of any top-level window, for tests that look at one directly.
  static WindowSeen Look(HWND hwnd);

 private:
  void Loop();
  void Handle(HWND hwnd, const WindowSeen& seen);

  mutable std::mutex mutex_;
  std::vector<Step> steps_;
  size_t next_ = 0;
  std::set<DWORD> pids_;
  std::set<HWND> handled_;
  std::vector<WindowSeen> seen_;
  std::vector<std::string> failures_;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  bool finished_ = false;
};

// How alike the screen is, at onScreen (top left), to the icon drawn at
// size x size: the share of the icon's opaque pixels in its first `rows`
// rows that the screen shows in the same colour, 0 to 1.
double IconLikeness(HICON icon, POINT onScreen, int size, int rows);

// Waits until the window is gone (destroyed or hidden); false on time-out.
bool WaitGone(HWND hwnd, int milliseconds);

}  // namespace bench
